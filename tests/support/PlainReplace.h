#pragma once
#include <cstdint>
#include <string>

// The text with every occurrence of find replaced, left to right and never
// overlapping: what one literal row must give. count gets their number.
inline std::string ReplacedEverywhere(const std::string& text, const std::string& find, const std::string& with,
                                      int64_t& count) {
  std::string out;
  count = 0;
  size_t cursor = 0;
  for (size_t at; (at = text.find(find, cursor)) != std::string::npos; cursor = at + find.size(), ++count)
    out.append(text, cursor, at - cursor).append(with);
  return out.append(text, cursor);
}
