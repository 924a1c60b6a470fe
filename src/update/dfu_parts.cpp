// Part numbers and names are the maker's own; the codes group the families by their high
// nibble (one family per core), the low nibble numbering flash sizes within it.
#include "dfu_parts.h"

namespace kst::update {
namespace {

constexpr PartRow kParts[kPartCount] = {
    {0x10, 0x10A00100, "CV10A32"}, {0x11, 0x10A00111, "CV10B48"}, {0x12, 0x10A00122, "CV10C64"},
    {0x13, 0x10A00133, "CV10D80"}, {0x14, 0x10A00144, "CV10E32"}, {0x15, 0x10A00155, "CV10F48"},
    {0x16, 0x10A00166, "CV10G64"}, {0x17, 0x10A00177, "CV10H80"}, {0x20, 0x12B00100, "CV12A32"},
    {0x21, 0x12B00111, "CV12B48"}, {0x22, 0x12B00122, "CV12C64"}, {0x23, 0x12B00133, "CV12D80"},
    {0x24, 0x12B00144, "CV12E32"}, {0x25, 0x12B00155, "CV12F48"}, {0x26, 0x12B00166, "CV12G64"},
    {0x27, 0x12B00177, "CV12H80"}, {0x30, 0x20C00100, "CV20A32"}, {0x31, 0x20C00111, "CV20B48"},
    {0x32, 0x20C00122, "CV20C64"}, {0x33, 0x20C00133, "CV20D80"}, {0x34, 0x20C00144, "CV20E32"},
    {0x35, 0x20C00155, "CV20F48"}, {0x36, 0x20C00166, "CV20G64"}, {0x37, 0x20C00177, "CV20H80"},
    {0x40, 0x32D00100, "CV32A32"}, {0x41, 0x32D00111, "CV32B48"}, {0x42, 0x32D00122, "CV32C64"},
    {0x43, 0x32D00133, "CV32D80"}, {0x44, 0x32D00144, "CV32E32"}, {0x45, 0x32D00155, "CV32F48"},
    {0x46, 0x32D00166, "CV32G64"}, {0x47, 0x32D00177, "CV32H80"}, {0x50, 0x40E00100, "CV40A32"},
    {0x51, 0x40E00111, "CV40B48"}, {0x52, 0x40E00122, "CV40C64"}, {0x53, 0x40E00133, "CV40D80"},
    {0x54, 0x40E00144, "CV40E32"}, {0x55, 0x40E00155, "CV40F48"}, {0x56, 0x40E00166, "CV40G64"},
    {0x57, 0x40E00177, "CV40H80"}, {0x60, 0x48F00100, "CV48A32"}, {0x61, 0x48F00111, "CV48B48"},
    {0x62, 0x48F00122, "CV48C64"}, {0x63, 0x48F00133, "CV48D80"},
};

}  // namespace

const PartRow* findPart(uint8_t code) {
  for (const PartRow& row : kParts) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

const PartRow* partTable() {
  return kParts;
}

}  // namespace kst::update
