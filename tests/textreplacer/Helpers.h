#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "engines/ReplacerBase.h"
#include "engines/TextReplacer.h"

// A fresh folder under the temporary folder, removed with all its files.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  // Names of the files in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

void PutFile(const std::string& path, std::string_view data);
std::string GetFile(const std::string& path);
FILETIME LastWriteTime(const std::string& path);

struct TPairSpec {
  std::string Find;
  std::string Replacement;
  bool CaseSensitive = true;
  bool WholeWord = false;
};

// Runs one replacer call on the file with a freshly built block.
TReplaceResult RunReplacer(const std::string& path, TReplaceMode mode, const TPairSpec& pair, bool backup = false,
                           int32_t split = 0, int32_t* matches = nullptr, TThread* thread = nullptr);
