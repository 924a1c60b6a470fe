// Text from a device (serial numbers, strings), made safe to print on a terminal.
#pragma once

#include <string>

namespace tool {

// Control characters, DEL and bytes above 0x7E written as \xNN, the backslash as \\: what a
// probe sends can neither move the cursor nor change the terminal's state.
std::string printable(const std::string& text);

}  // namespace tool
