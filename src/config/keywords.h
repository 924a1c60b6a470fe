// Keyword tables and the two ways a text matches a keyword.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst::config {

struct Keyword {
  const char* word;
  uint32_t value;
};

struct KeywordTable {
  const Keyword* entries;
  std::size_t count;
};

template <std::size_t N>
constexpr KeywordTable table(const Keyword (&entries)[N]) {
  return {entries, N};
}

constexpr int kNoMatch = -1;

// The first n characters of text, upper-cased, against the keyword: equal up to n, or both
// ending at the same place first. An empty text, or one longer than the keyword, never
// matches ("d" and "DEF" match "default"; "defaultx" does not).
bool abbreviates(const char* keyword, const char* text, std::size_t length);

// Index of the first keyword the text abbreviates (empty keywords skipped), or kNoMatch.
int lookupAbbreviated(const char* text, std::size_t length, KeywordTable keywords);

// Index of the first keyword equal to the whole NUL-terminated text, case ignored.
int lookupWholeWord(const char* text, KeywordTable keywords);

}  // namespace kst::config
