// The probe's firmware version word as people read and write it, and whether the library
// accepts it.
#pragma once

#include <cstdint>
#include <string>

namespace tool {

// Four dotted numbers, major to build, one byte each from the top of the word. The probe's
// version bytes read as decimal in hexadecimal notation (build 0x29 is "29"), so each byte is
// written in hexadecimal: 0x03000029 is "3.0.0.29".
std::string firmwareVersionText(uint32_t version);

// The reverse: four dotted hexadecimal numbers of at most two digits each. False otherwise.
bool parseFirmwareVersion(const std::string& text, uint32_t& version);

// The library's rule: at least the required version, within the required family. A probe
// outside it is outdated and `kestrel update` replaces its firmware.
bool firmwareAccepted(uint32_t version);

}  // namespace tool
