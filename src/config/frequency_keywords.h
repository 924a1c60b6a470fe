// The frequency keywords of LOOM.TCLK_BEGINNING, LOOM.TCLK_FREQUENCY and DOT7.DTS_FREQUENCY.
#pragma once

#include "frequency.h"
#include "keywords.h"

namespace kst::config {

inline constexpr Keyword kFrequencyKeywords[] = {
    {"default", frequencyCode(3, 19)},  // 10.375 MHz
    {"superlow", frequencyCode(-11, 0)}, {"minimum", frequencyCode(-1, 0)},
    {"legacy", frequencyCode(3, 19)},    {"exchange", frequencyCode(5, 6)},  // 35 MHz
    {"adaptive", frequencyCode(5, 32)},                                      // 48 MHz
    {"maximum", frequencyCode(6, 0)},
};

}  // namespace kst::config
