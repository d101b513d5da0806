#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// Applies the first pairCount records of a batch block to text, their find
// texts taken literally and every match replaced. At each byte the first
// attempt to complete wins; of those complete at the same byte the earliest
// start, then the earlier row. matchCount receives the number of replacements.
std::string ReplaceInString(std::string_view text, HGLOBAL block, uint32_t pairCount,
                            int32_t& matchCount);
