#include "framework/StringList.h"

#include <windows.h>

#include "framework/FileIO.h"

int TStringList::IndexOf(std::string_view s) const {
  std::string key(s);
  for (size_t i = 0; i < items_.size(); ++i)
    if (lstrcmpiA(items_[i].c_str(), key.c_str()) == 0) return static_cast<int>(i);
  return -1;
}

std::string TStringList::Text() const {
  std::string out;
  for (const auto& s : items_) {
    out += s;
    out += "\r\n";
  }
  return out;
}

void TStringList::SetText(std::string_view text) {
  items_.clear();
  size_t i = 0;
  while (i < text.size()) {
    size_t e = text.find_first_of("\r\n", i);
    if (e == std::string_view::npos) {
      items_.emplace_back(text.substr(i));
      break;
    }
    items_.emplace_back(text.substr(i, e - i));
    i = e + ((text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ? 2 : 1);
  }
}

bool TStringList::LoadFromFile(const std::string& path) {
  std::string data;
  if (!ReadWholeFile(path, data)) return false;
  SetText(data);
  return true;
}

bool TStringList::SaveToFile(const std::string& path) const {
  return WriteFileReplacing(path, Text());
}
