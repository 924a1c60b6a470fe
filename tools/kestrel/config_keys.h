// Keys of a --config file that nothing reads: most often a misspelt key, which would
// otherwise leave its setting at the default without a word.
#pragma once

#include <string>
#include <vector>

namespace tool {

// One warning per key of the file that is not among the known keys, naming the nearest
// known key (by edits, ignoring case) when one is close enough to be a likely slip.
std::vector<std::string> unknownKeyWarnings(const std::vector<std::string>& fileKeys,
                                            const std::vector<std::string>& knownKeys);

}  // namespace tool
