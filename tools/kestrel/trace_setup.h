#pragma once

#include <string>

namespace tool {

// Sets the level and destination of the logger the library bound at load; 0, or the exit
// status with the reason when there is no such logger (69) or the file cannot be opened (74).
int configureTrace(int level, const std::string& file, std::string& error);

}  // namespace tool
