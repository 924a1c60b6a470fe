// Open and close of one controller record through two handles.
#include "jsc/controller_handle.h"
#include "jsc_fixture.h"

namespace jsctest {
namespace {

using kst::jsc::controllerOf;
using kst::jsc::SharedController;

class SharedOpen : public JscTest {};

TEST_F(SharedOpen, TheSecondOpenerAndTheFirstCloserSendNothing) {
  attach();
  auto a = session();
  auto b = session();
  ASSERT_EQ(a->start(), 0);
  EXPECT_TRUE(a->firstOpener());
  const SharedController* shared = controllerOf(a->handle());
  const std::size_t afterFirst = packets().size();
  ASSERT_EQ(b->start(), 0);
  EXPECT_FALSE(b->firstOpener());
  EXPECT_EQ(shared->chain.openCount, 2u);
  EXPECT_EQ(packets().size(), afterFirst);

  uint8_t last = 9;
  const auto close = a->operation<JSC_CloseControllerFn>(JSC_SLOT_CLOSE_CONTROLLER);
  EXPECT_EQ(close(a->handle(), &last), 0);
  EXPECT_EQ(last, 0);
  EXPECT_EQ(packets().size(), afterFirst);
  EXPECT_EQ(close(a->handle(), &last), -116) << "closed already";
  EXPECT_EQ(close(b->handle(), &last), 0);
  EXPECT_EQ(last, 1);
  EXPECT_EQ(ksim::resources().handles, 0) << "the last closer closed the probe";
  EXPECT_EQ(shared->chain.probe, nullptr);
}

TEST_F(SharedOpen, AnOpenedHandleIsRefusedAtDelete) {
  attach();
  auto s = session();
  ASSERT_EQ(s->start(), 0);
  JscHandle* handle = s->handle();
  EXPECT_EQ(JSC_DeleteHandle(&handle), -116);
  EXPECT_EQ(handle, s->handle()) << "the handle stays";
  EXPECT_EQ(s->finish(), 0);
}

}  // namespace
}  // namespace jsctest
