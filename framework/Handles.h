#pragma once
#include <windows.h>
#include <objbase.h>
#include <shtypes.h>

#include <cstddef>
#include <cstdint>
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

// Owns a handle of a kind whose "none" is nullptr, released by Traits::Close:
// icons, menus, GDI objects.
template <typename H, typename Traits>
class TOwned {
 public:
  TOwned() = default;
  explicit TOwned(H h) : h_(h) {}
  ~TOwned() { Reset(); }
  TOwned(TOwned&& o) noexcept : h_(o.Release()) {}
  TOwned& operator=(TOwned&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  H Release() { return std::exchange(h_, nullptr); }
  void Reset(H h = nullptr) {
    if (h_) Traits::Close(h_);
    h_ = h;
  }

 private:
  H h_ = nullptr;
};

struct TIconTraits {
  static void Close(HICON h) { DestroyIcon(h); }
};
struct TMenuTraits {
  static void Close(HMENU h) { DestroyMenu(h); }
};
struct TGdiTraits {
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct TItemIdTraits {
  static void Close(LPITEMIDLIST p) { CoTaskMemFree(p); }
};
struct TPoolWorkTraits {
  // A request still out ends before the work goes.
  static void Close(PTP_WORK w) {
    WaitForThreadpoolWorkCallbacks(w, FALSE);
    CloseThreadpoolWork(w);
  }
};
using TIcon = TOwned<HICON, TIconTraits>;
using TMenuHandle = TOwned<HMENU, TMenuTraits>;
// A font, brush, pen or bitmap; it must not be selected into a DC when it goes.
using TGdiObject = TOwned<HGDIOBJ, TGdiTraits>;
// A shell item-id list, freed with the task allocator.
using TItemIdList = TOwned<LPITEMIDLIST, TItemIdTraits>;
// A work object of the process's thread pool.
using TPoolWork = TOwned<PTP_WORK, TPoolWorkTraits>;

// Owns one reference to a COM interface.
template <typename T>
class TComPtr {
 public:
  TComPtr() = default;
  // Takes over the reference p holds.
  explicit TComPtr(T* p) : p_(p) {}
  ~TComPtr() { Reset(); }
  TComPtr(TComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  TComPtr& operator=(TComPtr&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  // A reference of its own to an interface someone else holds.
  static TComPtr Share(T* p) {
    if (p) p->AddRef();
    return TComPtr(p);
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For an out-parameter: drops what is held and gives the slot to fill.
  void** Put() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }
  void Reset(T* p = nullptr) {
    if (p_) p_->Release();
    p_ = p;
  }

 private:
  T* p_ = nullptr;
};

// A memory DC compatible with dc (the screen's when nullptr).
class TMemoryDC {
 public:
  explicit TMemoryDC(HDC dc = nullptr) : dc_(CreateCompatibleDC(dc)) {}
  ~TMemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// The DC of a window (the screen's for nullptr) for the object's life.
class TWindowDC {
 public:
  explicit TWindowDC(HWND hwnd = nullptr) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~TWindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a DC and puts the old one back at the end of scope.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(dc && obj ? SelectObject(dc, obj) : nullptr) {}
  ~TSelectObject() {
    if (old_) SelectObject(dc_, old_);
  }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

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
  // For checks of the locking rules: the id of the thread that holds it, or
  // 0. Only the holder's own view is certain.
  DWORD OwnerThreadId() const { return DWORD(reinterpret_cast<uintptr_t>(cs_.OwningThread)); }

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
