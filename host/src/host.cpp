#include "loom_host/host.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace loomhost {
namespace {

constexpr uint32_t kNullGroup = 0;
constexpr uint32_t kConfigurationGroup = 7;
const std::string kNoKey;

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// Decimal, or hexadecimal after 0x; the whole text must be the number.
bool readNumber(const std::string& text, bool allowSign, long long minimum, long long maximum,
                long long& value) {
  std::string digits = text;
  bool negative = false;
  if (allowSign && !digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
    negative = digits[0] == '-';
    digits.erase(0, 1);
  }
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.erase(0, 2);
  }
  if (digits.empty() || digits[0] == '+' || digits[0] == '-' || digits[0] == ' ') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long magnitude = std::strtoull(digits.c_str(), &end, base);
  if (errno == ERANGE || *end != '\0' || magnitude > 0xFFFFFFFFull) return false;
  value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  return value >= minimum && value <= maximum;
}

template <class Result, auto Method, class... Args>
int32_t call(void* host, Args... args) {
  return (static_cast<Host*>(host)->*Method)(args...);
}

int32_t unsupported() {
  return kUnsupportedEntry;
}

int32_t typeNameEntry(void* host, uint32_t device, uint64_t*, uint64_t*, uint32_t*, uint32_t*,
                      uint64_t*, const char** typeName, uint32_t*, uint32_t*) {
  return static_cast<Host*>(host)->deviceTypeName(device, typeName);
}

template <class Fn>
JSC_HostService service(Fn fn) {
  return reinterpret_cast<JSC_HostService>(fn);
}

// Every slot holds a function: the entries this host offers, and a stub for the rest.
struct ServiceTable {
  JSC_HostService entries[JSC_HOST_SERVICE_COUNT];
  ServiceTable() {
    for (auto& entry : entries) entry = service(+[](void*) { return unsupported(); });
    entries[JSC_HOST_NULL_GROUP] = service(&call<int32_t, &Host::nullGroup, uint32_t*>);
    entries[JSC_HOST_FIND_GROUP] = service(&call<int32_t, &Host::findGroup, uint32_t*, uint8_t*>);
    entries[JSC_HOST_FIND_PROPERTY] =
        service(&call<int32_t, &Host::findProperty, uint32_t, const char*, uint64_t*, uint8_t*>);
    entries[JSC_HOST_DEVICE_DESCRIPTIONS] =
        service(&call<int32_t, &Host::deviceDescriptions, uint32_t, void**, uint8_t*>);
    entries[JSC_HOST_GET_TEXT] =
        service(&call<int32_t, &Host::getText, uint64_t, uint64_t*, const char**>);
    entries[JSC_HOST_GET_UNSIGNED] =
        service(&call<int32_t, &Host::getUnsigned, uint64_t, uint32_t*>);
    entries[JSC_HOST_GET_SIGNED] = service(&call<int32_t, &Host::getSigned, uint64_t, int32_t*>);
    entries[JSC_HOST_FIRST_DEVICE] =
        service(&call<int32_t, &Host::firstDevice, uint32_t, uint32_t*, uint8_t*>);
    entries[JSC_HOST_DEVICE_DESCRIPTION] = service(&typeNameEntry);
    entries[JSC_HOST_GET_BOOLEAN] = service(&call<int32_t, &Host::getBoolean, uint64_t, uint8_t*>);
    entries[JSC_HOST_GET_BYTE] = service(&call<int32_t, &Host::getByte, uint64_t, uint8_t*>);
  }
};

}  // namespace

Host::Host() = default;

const JSC_HostService* Host::services() const {
  static const ServiceTable table;
  return table.entries;
}

void Host::set(const std::string& key, const std::string& value) {
  values_[key] = value;
}

void Host::erase(const std::string& key) {
  values_.erase(key);
}

std::vector<std::string> Host::keys() const {
  std::vector<std::string> names;
  for (const auto& entry : values_) names.push_back(entry.first);
  return names;
}

const std::string* Host::value(const std::string& key) const {
  const auto found = values_.find(key);
  return found != values_.end() ? &found->second : nullptr;
}

bool Host::parse(const std::string& text, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::string content = trim(line);
    if (content.empty() || content[0] == '#') continue;
    const auto equals = content.find('=');
    if (equals == std::string::npos || trim(content.substr(0, equals)).empty()) {
      error = "line " + std::to_string(number) + ": expected KEY=value";
      return false;
    }
    set(trim(content.substr(0, equals)), trim(content.substr(equals + 1)));
  }
  return true;
}

bool Host::load(const std::string& path, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  if (!parse(text.str(), error)) {
    error = path + ", " + error;
    return false;
  }
  return true;
}

void Host::failEntry(int entry, int32_t code, const std::string& key) {
  failures_.push_back({entry, code, key});
}

void Host::addDevice(uint32_t id, const std::string& typeName) {
  devices_.push_back({id, typeName, {}});
}

void Host::setRouter(uint32_t id, uint32_t type, uint32_t port, uint8_t option, uint8_t force) {
  for (Device& d : devices_) {
    if (d.id != id) continue;
    d.description.routerType = type;
    d.description.routerTypeValid = 1;
    d.description.routerPort = port;
    d.description.routerPortValid = 1;
    d.description.options[0] = option;
    d.description.options[1] = force;
  }
}

int32_t Host::failure(int entry, const std::string& key) const {
  for (const Failure& f : failures_)
    if (f.entry == entry && (f.key.empty() || f.key == key)) return f.code;
  return 0;
}

const std::string& Host::keyOf(uint64_t property) const {
  return property >= 1 && property <= handles_.size() ? handles_[property - 1] : kNoKey;
}

const std::string* Host::valueOf(uint64_t property) const {
  const auto found = values_.find(keyOf(property));
  return found != values_.end() ? &found->second : nullptr;
}

int32_t Host::nullGroup(uint32_t* id) {
  if (const int32_t code = failure(JSC_HOST_NULL_GROUP, "")) return code;
  *id = kNullGroup;
  return 0;
}

int32_t Host::findGroup(uint32_t* id, uint8_t* present) {
  if (const int32_t code = failure(JSC_HOST_FIND_GROUP, "")) return code;
  *id = groupIsNull_ ? kNullGroup : kConfigurationGroup;
  *present = groupPresent_;
  return 0;
}

int32_t Host::findProperty(uint32_t, const char* key, uint64_t* property, uint8_t* found) {
  const std::string name = key != nullptr ? key : "";
  keysAsked_.push_back(name);
  if (const int32_t code = failure(JSC_HOST_FIND_PROPERTY, name)) return code;
  handles_.push_back(name);
  *property = handles_.size();
  *found = values_.count(name) != 0;
  return 0;
}

int32_t Host::deviceDescriptions(uint32_t device, void** list, uint8_t* found) {
  if (const int32_t code = failure(JSC_HOST_DEVICE_DESCRIPTIONS, "")) return code;
  *found = 0;
  *list = nullptr;
  for (Device& d : devices_) {
    if (d.id != device) continue;
    *found = 1;
    *list = &d.description;
  }
  return 0;
}

int32_t Host::getText(uint64_t property, uint64_t* length, const char** text) {
  if (const int32_t code = failure(JSC_HOST_GET_TEXT, keyOf(property))) return code;
  const std::string* value = valueOf(property);
  *text = value != nullptr ? value->c_str() : "";
  *length = value != nullptr ? value->size() : 0;
  return 0;
}

int32_t Host::convertNumber(int entry, uint64_t property, bool allowSign, long long minimum,
                            long long maximum, long long& number) const {
  if (const int32_t code = failure(entry, keyOf(property))) return code;
  const std::string* text = valueOf(property);
  if (text == nullptr) return kNoSuchProperty;
  return readNumber(*text, allowSign, minimum, maximum, number) ? 0 : kConversionFailed;
}

int32_t Host::getUnsigned(uint64_t property, uint32_t* value) {
  long long number = 0;
  const int32_t result =
      convertNumber(JSC_HOST_GET_UNSIGNED, property, false, 0, UINT32_MAX, number);
  if (result == 0) *value = static_cast<uint32_t>(number);
  return result;
}

int32_t Host::getSigned(uint64_t property, int32_t* value) {
  long long number = 0;
  const int32_t result =
      convertNumber(JSC_HOST_GET_SIGNED, property, true, INT32_MIN, INT32_MAX, number);
  if (result == 0) *value = static_cast<int32_t>(number);
  return result;
}

int32_t Host::firstDevice(uint32_t index, uint32_t* device, uint8_t* none) {
  if (const int32_t code = failure(JSC_HOST_FIRST_DEVICE, "")) return code;
  if (index >= 1 && index <= devices_.size()) {
    *device = devices_[index - 1].id;
    *none = 0;
  }
  return 0;
}

int32_t Host::deviceTypeName(uint32_t device, const char** typeName) {
  if (const int32_t code = failure(JSC_HOST_DEVICE_DESCRIPTION, "")) return code;
  for (const Device& d : devices_) {
    if (d.id == device) {
      *typeName = d.typeName.c_str();
      return 0;
    }
  }
  return kNoSuchProperty;
}

int32_t Host::getBoolean(uint64_t property, uint8_t* value) {
  if (const int32_t code = failure(JSC_HOST_GET_BOOLEAN, keyOf(property))) return code;
  const std::string* text = valueOf(property);
  if (text == nullptr) {  // an absent key reads as false
    *value = 0;
    return 0;
  }
  if (strcasecmp(text->c_str(), "true") == 0 || *text == "1") {
    *value = 1;
  } else if (strcasecmp(text->c_str(), "false") == 0 || *text == "0") {
    *value = 0;
  } else {
    return kConversionFailed;
  }
  return 0;
}

int32_t Host::getByte(uint64_t property, uint8_t* value) {
  long long number = 0;
  const int32_t result = convertNumber(JSC_HOST_GET_BYTE, property, false, 0, 255, number);
  if (result == 0) *value = static_cast<uint8_t>(number);
  return result;
}

}  // namespace loomhost
