#pragma once
#include <windows.h>

#include <cstddef>
#include <utility>

// Owns a kernel handle; nullptr and INVALID_HANDLE_VALUE both mean "none".
template <typename Traits>
class TOwnedHandle {
 public:
  TOwnedHandle() = default;
  explicit TOwnedHandle(HANDLE h) : h_(h) {}
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(TOwnedHandle&& o) noexcept : h_(o.Release()) {}
  TOwnedHandle& operator=(TOwnedHandle&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;

  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return Valid(); }
  HANDLE Release() { return std::exchange(h_, nullptr); }
  void Reset(HANDLE h = nullptr) {
    if (Valid()) Traits::Close(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = nullptr;
};

struct TKernelHandleTraits {
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct TFindHandleTraits {
  static void Close(HANDLE h) { FindClose(h); }
};
using THandle = TOwnedHandle<TKernelHandleTraits>;
using TFindHandle = TOwnedHandle<TFindHandleTraits>;

// A movable global-memory block, the storage of the program's large buffers and
// record blocks. Resizing may move it; lock it (TGlobalLock) to reach the bytes.
class TGlobalBlock {
 public:
  TGlobalBlock() = default;
  ~TGlobalBlock() { Free(); }
  TGlobalBlock(TGlobalBlock&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  TGlobalBlock& operator=(TGlobalBlock&& o) noexcept {
    if (this != &o) {
      Free();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  TGlobalBlock(const TGlobalBlock&) = delete;
  TGlobalBlock& operator=(const TGlobalBlock&) = delete;

  // Replaces any block held; false (and no block) when the memory is not there.
  bool Allocate(size_t size, bool zeroFill = true) {
    Free();
    h_ = GlobalAlloc(GMEM_MOVEABLE | (zeroFill ? GMEM_ZEROINIT : 0), size);
    return h_ != nullptr;
  }
  // Keeps the old block and its bytes on failure.
  bool Resize(size_t size, bool zeroFill = true) {
    if (!h_) return Allocate(size, zeroFill);
    HGLOBAL n = GlobalReAlloc(h_, size, GMEM_MOVEABLE | (zeroFill ? GMEM_ZEROINIT : 0));
    if (!n) return false;
    h_ = n;
    return true;
  }
  void Free() {
    if (h_) GlobalFree(std::exchange(h_, nullptr));
  }
  HGLOBAL Handle() const { return h_; }
  HGLOBAL Release() { return std::exchange(h_, nullptr); }
  size_t Size() const { return h_ ? GlobalSize(h_) : 0; }

 private:
  HGLOBAL h_ = nullptr;
};

// Locks a global block for the life of the object (locks nest).
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
  ~TGlobalLock() {
    if (p_) GlobalUnlock(h_);
  }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  template <typename T = void>
  T* Get() const { return static_cast<T*>(p_); }

 private:
  HGLOBAL h_;
  void* p_;
};

class TCriticalSection {
 public:
  TCriticalSection() { InitializeCriticalSection(&cs_); }
  ~TCriticalSection() { DeleteCriticalSection(&cs_); }
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&cs_); }
  void Leave() { LeaveCriticalSection(&cs_); }

 private:
  CRITICAL_SECTION cs_;
};

class TLock {
 public:
  explicit TLock(TCriticalSection& cs) : cs_(cs) { cs_.Enter(); }
  ~TLock() { cs_.Leave(); }
  TLock(const TLock&) = delete;
  TLock& operator=(const TLock&) = delete;

 private:
  TCriticalSection& cs_;
};
