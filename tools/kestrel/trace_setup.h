#pragma once

#include <string>

namespace tool {

// Sets the level and destination of the logger the library bound at load; false (with the
// reason) when there is no such logger.
bool configureTrace(int level, const std::string& file, std::string& error);

}  // namespace tool
