// A LOOM host stand-in: the host services table over a key/value configuration, for tests
// and for the kestrel tool. Keys are case-sensitive; values are texts that the host's own
// conversions turn into numbers and booleans.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "kestrel/jsc_host.h"
#include "kestrel/jsc_records.h"

namespace loomhost {

// The host's own result codes.
constexpr int32_t kConversionFailed = -9001;  // a value the conversion cannot read
constexpr int32_t kNoSuchProperty = -9002;    // a number asked of an absent key
constexpr int32_t kUnsupportedEntry = -9003;  // an entry this host does not offer

class Host {
 public:
  Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  void set(const std::string& key, const std::string& value);
  void erase(const std::string& key);
  // The value held for key, or null.
  const std::string* value(const std::string& key) const;
  // One KEY=value per line; blank lines and lines starting with # are skipped; spaces around
  // the key and the value are trimmed. False, with the line named, on a line without '='.
  bool parse(const std::string& text, std::string& error);
  bool load(const std::string& path, std::string& error);

  // Without a group the host holds no configuration for the controller.
  void setGroupPresent(bool present) { groupPresent_ = present; }
  // Makes the configuration group's id equal the null group's.
  void setGroupIsNull(bool isNull) { groupIsNull_ = isNull; }
  // Makes an entry answer code: for every call, or only for calls about key.
  void failEntry(int entry, int32_t code, const std::string& key = "");
  void addDevice(uint32_t id, const std::string& typeName);
  // The JTAG router in front of a device: its type, the device's port and the two option
  // bytes, as the description the library reads for SelectTap and DeselectTap.
  void setRouter(uint32_t id, uint32_t type, uint32_t port, uint8_t option = 0, uint8_t force = 0);

  void* context() { return this; }
  const JSC_HostService* services() const;

  // Every key the configuration holds, in order.
  std::vector<std::string> keys() const;
  // Every key the library looked up, in order.
  const std::vector<std::string>& keysAsked() const { return keysAsked_; }

  // Entry implementations (called through the table).
  int32_t nullGroup(uint32_t* id);
  int32_t findGroup(uint32_t* id, uint8_t* present);
  int32_t findProperty(uint32_t group, const char* key, uint64_t* property, uint8_t* found);
  int32_t deviceDescriptions(uint32_t device, void** list, uint8_t* found);
  int32_t getText(uint64_t property, uint64_t* length, const char** text);
  int32_t getUnsigned(uint64_t property, uint32_t* value);
  int32_t getSigned(uint64_t property, int32_t* value);
  int32_t firstDevice(uint32_t index, uint32_t* device, uint8_t* none);
  int32_t deviceTypeName(uint32_t device, const char** typeName);
  int32_t getBoolean(uint64_t property, uint8_t* value);
  int32_t getByte(uint64_t property, uint8_t* value);

 private:
  struct Failure {
    int entry;
    int32_t code;
    std::string key;
  };
  struct Device {
    uint32_t id;
    std::string typeName;
    JSC_DeviceDescription description;
  };

  // The failure set for entry and key, or 0.
  int32_t failure(int entry, const std::string& key) const;
  // The key and value a property handle stands for; null value for an absent key.
  const std::string& keyOf(uint64_t property) const;
  const std::string* valueOf(uint64_t property) const;
  // The host's number conversion of a property's text, for entry.
  int32_t convertNumber(int entry, uint64_t property, bool allowSign, long long minimum,
                        long long maximum, long long& number) const;

  std::map<std::string, std::string> values_;
  std::deque<std::string> handles_;  // handle n names handles_[n - 1]
  std::vector<std::string> keysAsked_;
  std::vector<Failure> failures_;
  std::deque<Device> devices_;  // descriptions handed out stay where they are
  bool groupPresent_ = true;
  bool groupIsNull_ = false;
};

}  // namespace loomhost
