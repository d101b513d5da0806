#pragma once
#include <string>
#include <vector>

// The settings file through the system's profile API (its own caching and
// locking keep concurrent readers and writers consistent).
class TIniFile {
 public:
  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  // False when the system could not write the file.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int value);
  bool WriteBool(const std::string& section, const std::string& key, bool value);
  std::vector<std::string> ReadSection(const std::string& section) const;
  std::vector<std::string> ReadSections() const;
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  bool DeleteKey(const std::string& section, const std::string& key);
  bool EraseSection(const std::string& section);
  // Writes cached changes to disk.
  void UpdateFile();

  // Writes that failed in this process so far: a pass of several objects
  // learns from the count before and after whether every write went through.
  static unsigned FailedWrites();
  // Tests make the n-th write from now fail as a full disk would, leaving
  // the file cut to half its size; 0 disarms.
  static void FailWriteAfter(int n);

 private:
  bool Write(const char* section, const char* key, const char* value);
  std::string fileName_;
};
