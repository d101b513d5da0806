#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Many short NUL-terminated names back to back in one movable block. Offsets
// stay valid across growth; pointers only while the pool is locked.
class TTextStorage {
 public:
  // Returned by Add when the block cannot hold the text (offset 0 is valid).
  static constexpr uint32_t NoOffset = 0xFFFFFFFF;

  explicit TTextStorage(int32_t initialSize);
  virtual ~TTextStorage();
  TTextStorage(const TTextStorage&) = delete;
  TTextStorage& operator=(const TTextStorage&) = delete;

  uint32_t Add(const char* text);
  void Clear() { UsedLength = 0; }
  void SetUsedLength(uint32_t offset);
  std::string GetString(uint32_t offset);
  bool Lock();
  void Unlock();
  char* GetPChar(uint32_t offset) const;
  // False (nothing copied) when this pool cannot hold the source's bytes.
  bool CopyFrom(TTextStorage& source);

  uint32_t Capacity = 0;
  char* LockedPtr = nullptr;
  int32_t LockDepth = 0;
  HGLOBAL Handle = nullptr;
  uint32_t UsedLength = 0;

 private:
  bool Grow(uint32_t needed);
};

// Test-only: when set, runs before a pool or a list's blocks are reallocated
// or replaced, with the pool or the list; production code never sets it.
namespace ListTesting {
using TGrowthCheck = void (*)(const void* owner);
extern TGrowthCheck GrowthCheck;
inline void CheckGrowth(const void* owner) {
  if (GrowthCheck) GrowthCheck(owner);
}
}  // namespace ListTesting
