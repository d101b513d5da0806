#pragma once
#include <cstdint>
#include <string>

#include "core/FileList.h"

// A list's name pool locked for the life of the object.
class TPoolLock {
 public:
  explicit TPoolLock(TTextStorage* pool) : pool_(pool && pool->Lock() ? pool : nullptr) {}
  ~TPoolLock() {
    if (pool_) pool_->Unlock();
  }
  TPoolLock(const TPoolLock&) = delete;
  TPoolLock& operator=(const TPoolLock&) = delete;
  explicit operator bool() const { return pool_ != nullptr; }
  // Valid only below the pool's used length.
  const char* Text(uint32_t offset) const { return pool_->GetPChar(offset); }

 private:
  TTextStorage* pool_;
};

// The directory, file and order blocks of a list locked together. Lookups
// check every number against the counts (order entries too, since a run
// may be stale) and give nil outside them. Growing a block may move it even
// while it is locked (Wine's GlobalReAlloc does), so no pointer from a lock
// may outlive a call that can grow the list, on this thread or another.
class TListLock {
 public:
  explicit TListLock(TstateOfBrowser& list)
      : list_(list), dirs_(list.DirBlock), files_(list.FileBlock), order_(list.OrderBlock) {}
  explicit operator bool() const { return dirs_ && files_ && order_; }

  TDirRecord* Dir(uint32_t dir) const;
  // Record number (1-based, block order) of the entry shown at pos; 0
  // outside the directory's run.
  uint32_t RecordAt(uint32_t dir, uint32_t pos) const;
  TFileRecord* Record(uint32_t dir, uint32_t record) const;
  TFileRecord* Entry(uint32_t dir, uint32_t pos) const { return Record(dir, RecordAt(dir, pos)); }
  TFileRecord* Files() const { return files_.Get(); }
  uint32_t* Order() const { return order_.Get(); }

 private:
  // The directory's run when it lies inside the list's records.
  bool RunValid(const TDirRecord& d) const;

  TstateOfBrowser& list_;
  TBlockLock<TDirRecord> dirs_;
  TBlockLock<TFileRecord> files_;
  TBlockLock<uint32_t> order_;
};

// Busy is set while the list is walked and given back afterwards.
class TBusyScope {
 public:
  explicit TBusyScope(TstateOfBrowser& list) : busy_(list.Busy), old_(list.Busy) { busy_ = 1; }
  ~TBusyScope() { busy_ = old_; }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  uint8_t& busy_;
  uint8_t old_;
};

inline bool IsFolder(const TFileRecord& r) { return r.Attributes & FILE_ATTRIBUTE_DIRECTORY; }

// The directory record an entry belongs to: in the flat view from the saved
// directory block, since DirNumber keeps the real numbering. False when
// there is no such directory.
bool EntryDirRecord(uint32_t dirNumber, TstateOfBrowser& list, TDirRecord& dir);
// Its stored path.
std::string EntryDirPath(uint32_t dirNumber, TstateOfBrowser& list);
// The same path capitalised as GetDirPath shows it.
std::string ShownEntryDirPath(uint32_t dirNumber, TstateOfBrowser& list);
// Case-insensitive comparison in the system default locale: <0, 0, >0; an
// empty text sorts before any other.
int CompareNames(const char* a, uint32_t lenA, const char* b, uint32_t lenB);
