#include "core/TextStorage.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "framework/Handles.h"

namespace {
constexpr uint32_t GrowthSlack = 6000;
// Offsets are 32-bit, and NoOffset must stay out of reach.
constexpr uint64_t MaxCapacity = 0xFFFFFFF0u;
}

ListTesting::TGrowthCheck ListTesting::GrowthCheck = nullptr;

TTextStorage::TTextStorage(int32_t initialSize) {
  if (initialSize < 1) initialSize = 100;
  Handle = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(initialSize));
  if (Handle) Capacity = static_cast<uint32_t>(initialSize);
}

TTextStorage::~TTextStorage() {
  while (LockDepth > 0) Unlock();
  if (Handle) GlobalFree(Handle);
}

// The reallocation may move the block even while it is locked (Wine's does),
// so the lock is released around it and the address taken afresh; the
// caller's nesting depth is kept. The step is at least the text and the
// slack, and at least half the capacity: one copy of the block per few
// short names would make filling a large list quadratic.
bool TTextStorage::Grow(uint32_t needed) {
  const uint64_t least = uint64_t(Capacity) + (needed - 1) + GrowthSlack;
  if (least > MaxCapacity) return false;
  const uint64_t wanted = std::min<uint64_t>(std::max<uint64_t>(least, Capacity + Capacity / 2ull), MaxCapacity);
  ListTesting::CheckGrowth(this);
  if (LockedPtr) GlobalUnlock(Handle);
  HGLOBAL moved = Handle ? GlobalReAlloc(Handle, SIZE_T(wanted), GMEM_MOVEABLE)
                         : GlobalAlloc(GMEM_MOVEABLE, SIZE_T(wanted));
  if (moved) {
    Handle = moved;
    Capacity = uint32_t(wanted);
  }
  if (LockedPtr) LockedPtr = static_cast<char*>(GlobalLock(Handle));
  return moved != nullptr;
}

uint32_t TTextStorage::Add(const char* text) {
  size_t len = strlen(text);
  if (len >= MaxCapacity - UsedLength) return NoOffset;
  uint32_t needed = uint32_t(len) + 1;
  if (UsedLength + needed > Capacity && !Grow(needed)) return NoOffset;
  uint32_t offset = UsedLength;
  if (LockedPtr) {
    memcpy(LockedPtr + offset, text, needed);
  } else {
    TGlobalLock lock(Handle);
    if (!lock.Get()) return NoOffset;
    memcpy(lock.Get<char>() + offset, text, needed);
  }
  UsedLength += needed;
  return offset;
}

void TTextStorage::SetUsedLength(uint32_t offset) {
  if (offset <= UsedLength) UsedLength = offset;
}

std::string TTextStorage::GetString(uint32_t offset) {
  if (offset >= UsedLength) return {};
  if (LockedPtr) return LockedPtr + offset;
  TGlobalLock lock(Handle);
  return lock.Get() ? std::string(lock.Get<char>() + offset) : std::string();
}

bool TTextStorage::Lock() {
  if (LockDepth == 0) {
    LockedPtr = Handle ? static_cast<char*>(GlobalLock(Handle)) : nullptr;
    if (!LockedPtr) return false;
  }
  ++LockDepth;
  return true;
}

void TTextStorage::Unlock() {
  assert(LockDepth > 0);
  if (LockDepth <= 0) return;
  if (--LockDepth == 0) {
    LockedPtr = nullptr;
    GlobalUnlock(Handle);
  }
}

char* TTextStorage::GetPChar(uint32_t offset) const {
  assert(LockedPtr);
  return LockedPtr + offset;
}

bool TTextStorage::CopyFrom(TTextStorage& source) {
  assert(source.UsedLength <= Capacity);
  if (source.UsedLength > Capacity) return false;
  if (!Lock()) return false;
  bool copied = source.Lock();
  if (copied) {
    memcpy(LockedPtr, source.LockedPtr, source.UsedLength);
    UsedLength = source.UsedLength;
    source.Unlock();
  }
  Unlock();
  return copied;
}
