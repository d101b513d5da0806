#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/FileList.h"

// A file list for tests: directories added in order, each followed by its
// entries (display order = insertion order), or read from a real folder.
class TTestList {
 public:
  TTestList();
  ~TTestList();
  TTestList(const TTestList&) = delete;
  TTestList& operator=(const TTestList&) = delete;
  TstateOfBrowser& List() { return list_; }
  uint32_t AddDir(const std::string& path, bool open = true);
  // Adds an entry to the last directory.
  void AddEntry(const std::string& name, uint32_t attributes = 0, bool marked = true);
  // The folder as the pane reads it; names listed in marked get the mark.
  uint32_t ReadDir(const std::string& path, const std::vector<std::string>& marked);
  TFileRecord& Entry(uint32_t dir, uint32_t pos);
  std::string Name(const TFileRecord& r) { return list_.Names->GetString(r.NameOffset); }

 private:
  TstateOfBrowser list_;
};
