#pragma once
#include <cstddef>
#include <cstring>

// Most pieces of a rewritten file's output are the bytes between two
// matches, a few dozen or hundred, and a call of the C library's memcpy
// under Wine costs several times their copying. Words that may overlap at
// the end cover any length.
namespace copy_bytes_detail {
// One word of a fixed width: the compiler copies it in a register or two.
template <size_t Width>
inline void CopyWord(unsigned char* to, const unsigned char* from) {
  unsigned char word[Width];
  std::memcpy(word, from, Width);
  std::memcpy(to, word, Width);
}
}  // namespace copy_bytes_detail

inline void CopyBytes(void* destination, const void* source, size_t size) {
  using copy_bytes_detail::CopyWord;
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  if (size >= 4096) {
    std::memcpy(to, from, size);
  } else if (size >= 16) {
    for (size_t i = 0; i + 16 < size; i += 16) CopyWord<16>(to + i, from + i);
    CopyWord<16>(to + size - 16, from + size - 16);
  } else if (size >= 8) {
    CopyWord<8>(to, from);
    CopyWord<8>(to + size - 8, from + size - 8);
  } else if (size >= 4) {
    CopyWord<4>(to, from);
    CopyWord<4>(to + size - 4, from + size - 4);
  } else if (size > 0) {
    to[0] = from[0];
    to[size / 2] = from[size / 2];
    to[size - 1] = from[size - 1];
  }
}

// Exactly 64 bytes, for a caller that may copy more than it needs.
inline void CopyFixed64(void* destination, const void* source) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  for (size_t i = 0; i < 64; i += 16) copy_bytes_detail::CopyWord<16>(to + i, from + i);
}
