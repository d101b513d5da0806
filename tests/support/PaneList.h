#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/FileList.h"
#include "core/ReadFolder.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "core/SortList.h"

// A pane's own list, rooted at a path and read as the pane reads it.
struct TPaneList {
  TstateOfBrowser list;
  TPaneList() { InitFileList(list, 1, 300, "*.*", 1000); }
  ~TPaneList() { FreeFileList(list); }
  TPaneList(const TPaneList&) = delete;
  TPaneList& operator=(const TPaneList&) = delete;
  bool Open(const std::string& path) {
    if (!OpenPathAsRoot(path, list)) return false;
    EXPECT_TRUE(ReadDirEntries(1, ReadFoldersSkipMasks, list));
    SortDir(1, list.SortKind, list);
    return true;
  }
  uint32_t Find(uint32_t dir, const char* name) { return FindFileByName(dir, name, list, true); }
  // Opens or closes the named folder of dir in the tree, reading it the
  // first time it opens.
  int32_t Toggle(uint32_t dir, const char* name) {
    const int32_t k = ToggleFolderEntry(dir, Find(dir, name), list);
    if (k > 0) {
      EXPECT_TRUE(ReadDirEntries(uint32_t(k), ReadFoldersSkipMasks, list));
      SortDir(uint32_t(k), list.SortKind, list);
    }
    return k;
  }
};
