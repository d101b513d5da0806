#include "Lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/ReadFolder.h"
#include "core/Selection.h"
#include "core/SortList.h"

TTestList::TTestList() { InitFileList(list_, 1, 50, "*.*", 1000); }
TTestList::~TTestList() { FreeFileList(list_); }

uint32_t TTestList::AddDir(const std::string& path, bool open) {
  return AddDirRecord(list_, TDirRecord{nullptr, 0, uint32_t(list_.FileCount),
                                        list_.Names->Add(path.c_str()), open ? DirOpen : 0, 0, -1});
}

void TTestList::AddEntry(const std::string& name, uint32_t attributes, bool marked) {
  if (list_.FileCount >= list_.FileCapacity) {
    ASSERT_TRUE(GrowFileBlocks(list_, 50));
  }
  TBlockLock<TDirRecord> dirs(list_.DirBlock);
  TBlockLock<TFileRecord> files(list_.FileBlock);
  TBlockLock<uint32_t> order(list_.OrderBlock);
  TDirRecord& d = dirs[list_.DirCount - 1];
  TFileRecord& r = files[list_.FileCount];
  r = TFileRecord{};
  r.Attributes = attributes;
  r.DirNumber = uint32_t(list_.DirCount);
  r.Flags = marked ? FileMarked : 0;
  r.NameOffset = list_.Names->Add(name.c_str());
  r.NameLength = uint32_t(name.size());
  r.ExtOffset = ExtOffsetOf(name.c_str(), r.NameOffset, r.NameLength, attributes & 0x10);
  order[list_.FileCount] = ++d.FileCount;
  ++list_.FileCount;
}

uint32_t TTestList::ReadDir(const std::string& path, const std::vector<std::string>& marked) {
  const uint32_t d = AddDir(path);
  EXPECT_TRUE(ReadDirEntries(d, 0, list_));
  SortDir(d, SortDefault, list_);
  TBlockLock<TDirRecord> dirs(list_.DirBlock);
  for (uint32_t p = 1; p <= dirs[d - 1].FileCount; ++p) {
    TFileRecord& e = Entry(d, p);
    if (std::count(marked.begin(), marked.end(), Name(e))) e.Flags |= FileMarked;
  }
  UpdateListTotals(list_);
  return d;
}

TFileRecord& TTestList::Entry(uint32_t dir, uint32_t pos) {
  TBlockLock<TDirRecord> dirs(list_.DirBlock);
  TBlockLock<uint32_t> order(list_.OrderBlock);
  TBlockLock<TFileRecord> files(list_.FileBlock);
  const uint32_t first = dirs[dir - 1].FirstFile;
  return files[first + order[first + pos - 1] - 1];  // the blocks stay put while unlocked
}
