#include "keywords.h"

#include <cctype>

namespace kst::config {
namespace {

char upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool equalIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (upper(*a) != upper(*b)) return false;
  return *a == *b;
}

}  // namespace

bool abbreviates(const char* keyword, const char* text, std::size_t length) {
  if (keyword == nullptr || text == nullptr || length == 0) return false;
  for (std::size_t i = 0; i < length; ++i) {
    const char k = upper(keyword[i]);
    const char t = upper(text[i]);
    if (k != t) return false;
    if (k == '\0') return true;  // both end here
  }
  return true;
}

int lookupAbbreviated(const char* text, std::size_t length, KeywordTable keywords) {
  for (std::size_t i = 0; i < keywords.count; ++i) {
    const char* word = keywords.entries[i].word;
    if (word == nullptr || *word == '\0') continue;
    if (abbreviates(word, text, length)) return static_cast<int>(i);
  }
  return kNoMatch;
}

int lookupWholeWord(const char* text, KeywordTable keywords) {
  if (text == nullptr) return kNoMatch;
  for (std::size_t i = 0; i < keywords.count; ++i) {
    if (keywords.entries[i].word != nullptr && equalIgnoringCase(text, keywords.entries[i].word))
      return static_cast<int>(i);
  }
  return kNoMatch;
}

}  // namespace kst::config
