#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder under the temporary folder, removed with its contents.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  // name may hold backslashes below the folder; missing folders are made.
  void File(const std::string& name, uint64_t size = 0, FILETIME time = {}) const;
  void Folder(const std::string& name) const;
  void Remove(const std::string& name) const;
  // Removes a file or a folder with its contents; folder links are removed
  // as themselves, never entered.
  static void RemoveTree(const std::string& path);
  // Names of the entries in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

// Writes bytes to a file, replacing it, parent folders made; false on failure.
bool WriteTestFile(const std::string& path, const std::string& bytes);
// The file's bytes, or "" when it cannot be read.
std::string ReadTestFile(const std::string& path);
