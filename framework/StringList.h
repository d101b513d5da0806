#pragma once
#include <string>
#include <string_view>
#include <vector>

// An ordered list of 8-bit texts, read from and written to files line by line.
class TStringList {
 public:
  size_t Count() const { return items_.size(); }
  const std::string& operator[](size_t i) const { return items_[i]; }
  std::string& operator[](size_t i) { return items_[i]; }
  void Add(std::string s) { items_.push_back(std::move(s)); }
  void Insert(size_t i, std::string s) { items_.insert(items_.begin() + i, std::move(s)); }
  void Delete(size_t i) { items_.erase(items_.begin() + i); }
  void Clear() { items_.clear(); }
  // Index of the first item equal to s (case ignored as the system compares
  // names), or -1.
  int IndexOf(std::string_view s) const;
  // Lines joined with CR LF after each.
  std::string Text() const;
  // Splits at CR LF, LF or CR; a last line without line end counts.
  void SetText(std::string_view text);
  bool LoadFromFile(const std::string& path);
  // Writes a new file beside the old one and moves it over, so a failed save
  // keeps the old content.
  bool SaveToFile(const std::string& path) const;
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<std::string> items_;
};
