#pragma once
#include <string>
#include <vector>

// The settings file. Reads go through the system's profile calls, as the
// plug-ins' reads do; writes go through a writer of its own that puts a whole
// new text in place in one step, since the profile calls report success for
// a value they cut and for a rewrite that ran out of disk.
class TIniFile {
 public:
  // The longest value the profile format holds.
  static constexpr size_t MaxValueLength = 32766;

  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  // False when the value was not stored: one the format cannot hold (longer
  // than MaxValueLength, or with a line break in it), or a file that could
  // not be written. The key then keeps what it held.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int value);
  std::vector<std::string> ReadSection(const std::string& section) const;
  std::vector<std::string> ReadSections() const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  bool EraseSection(const std::string& section);

 private:
  bool Write(const std::string& section, const std::string* key, const std::string* value);
  std::string fileName_;
};

// One pass of writes over a settings file: while it is open, every TIniFile
// on that file writes into the text the file held when the pass began, and
// Commit puts that text in place in one step. Reads still see the file. One
// pass at a time, on the user-interface thread.
class TIniPass {
 public:
  explicit TIniPass(std::string fileName);
  ~TIniPass();
  TIniPass(const TIniPass&) = delete;
  TIniPass& operator=(const TIniPass&) = delete;
  // False when the file could not be read at the start or written now; it
  // then holds what it held before the pass.
  bool Commit();

 private:
  friend class TIniFile;
  void Apply(const std::string& section, const std::string* key, const std::string* value);
  std::string fileName_;
  std::string original_;
  std::vector<std::string> lines_;
  bool readable_ = true;
  TIniPass* outer_;
};
