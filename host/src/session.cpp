#include "loom_host/session.h"

#include "kestrel/kst_jtag.h"

namespace loomhost {
namespace {

constexpr int32_t kOk = 0;
constexpr int32_t kNoTable = -122;

// Never destroyed, so the handles stay reachable until the process has ended.
std::vector<JscHandle*>& refused() {
  static auto* handles = new std::vector<JscHandle*>;
  return *handles;
}

}  // namespace

const std::vector<JscHandle*>& Session::refusedHandles() {
  return refused();
}

Session::~Session() {
  finish();
}

int32_t Session::createInterface() {
  return JSC_CreateInterface(&table_);
}

int32_t Session::createHandle() {
  HandleParams params{};
  params.creationFlags = creationFlags_;
  params.mode = mode_;
  params.hostServices = host_.services();
  params.hostContext = host_.context();
  const int32_t result = JSC_CreateHandle(&handle_, &params);
  scanManager_.controller = handle_;
  return result;
}

int32_t Session::open() {
  if (table_ == nullptr) return kNoTable;
  uint8_t first = 0;
  const int32_t result = operation<JSC_OpenControllerFn>(JSC_SLOT_OPEN_CONTROLLER)(handle_, &first);
  opened_ = result == kOk;
  firstOpener_ = first != 0;
  return result;
}

int32_t Session::close() {
  if (table_ == nullptr) return kNoTable;
  uint8_t last = 0;
  const int32_t result =
      operation<JSC_CloseControllerFn>(JSC_SLOT_CLOSE_CONTROLLER)(handle_, &last);
  if (result == kOk) opened_ = false;
  return result;
}

int32_t Session::deleteHandle() {
  const int32_t result = JSC_DeleteHandle(&handle_);
  scanManager_.controller = handle_;
  return result;
}

JscHandle* Session::abandonHandle() {
  JscHandle* handle = handle_;
  handle_ = nullptr;
  scanManager_.controller = nullptr;
  return handle;
}

int32_t Session::deleteInterface() {
  return JSC_DeleteInterface(&table_);
}

int32_t Session::start() {
  if (const int32_t result = createInterface()) return result;
  if (const int32_t result = createHandle()) return result;
  return open();
}

int32_t Session::finish() {
  int32_t first = kOk;
  auto keep = [&first](int32_t result) {
    if (first == kOk) first = result;
  };
  if (opened_) keep(close());
  if (handle_ != nullptr) {
    keep(deleteHandle());
    if (handle_ != nullptr) refused().push_back(abandonHandle());
  }
  if (table_ != nullptr) keep(deleteInterface());
  return first;
}

int32_t Session::exchange(uint32_t scanRegister, uint32_t bits, const uint8_t* out, uint8_t* in) {
  PathDescriptor path{};
  path.startPathMode = 1;
  path.scanRegister = scanRegister;
  path.endPathMode = 1;
  path.endState = KST_STATE_RUN_TEST_IDLE;
  path.ambleMode = 1;
  ExchangeScanRequest request{};
  request.repeat = 1;
  request.bits = bits;
  request.out = out;
  request.in = in;
  return operation<JSC_ExchangeScanFn>(JSC_SLOT_EXCHANGE_SCAN)(handle_, &path, &request);
}

int32_t Session::resetChain() {
  PathDescriptor path{};
  path.endPathMode = 1;
  path.endState = KST_STATE_TEST_LOGIC_RESET;
  const auto move = operation<JSC_MovePathFn>(JSC_SLOT_MOVE_PATH);
  if (const int32_t result = move(handle_, &path, 0, 1)) return result;
  path.endState = KST_STATE_RUN_TEST_IDLE;
  return move(handle_, &path, 0, 1);
}

}  // namespace loomhost
