#include "windows/BasketList.h"

#include "core/DirRegistry.h"
#include "core/ListLock.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "framework/FileIO.h"

namespace {

constexpr size_t kLongestLine = 259;

bool IsAbsolute(const std::string& line) {
  if (line.size() >= 3 && isalpha(static_cast<unsigned char>(line[0])) && line[1] == ':' &&
      line[2] == '\\')
    return true;
  if (line.rfind("\\\\", 0) != 0) return false;
  const size_t share = line.find('\\', 2);
  if (share == std::string::npos || share == 2) return false;
  const size_t rest = line.find('\\', share + 1);
  return rest != std::string::npos && rest > share + 1;
}

bool IsUsableLine(const std::string& line) {
  if (line.empty() || line.size() > kLongestLine || !IsAbsolute(line)) return false;
  for (unsigned char c : line)
    if (c < 0x20 || c == 0x7F) return false;
  const size_t slash = line.rfind('\\');
  return slash + 1 < line.size();
}

}  // namespace

void BuildBasketList(TstateOfBrowser& basket, TStringList& lines) {
  lines.Clear();
  TListLock lock(basket);
  TPoolLock pool(basket.Names);
  if (!lock || !pool) return;
  for (uint32_t dir = 1; int64_t(dir) <= basket.DirCount; ++dir) {
    const TDirRecord* d = lock.Dir(dir);
    if (!d || !(d->Flags & DirOpen)) continue;
    const std::string folder = pool.Text(d->PathOffset);
    for (uint32_t pos = 1; pos <= d->FileCount; ++pos)
      if (const TFileRecord* e = lock.Entry(dir, pos))
        lines.Add(folder + "\\" + pool.Text(e->NameOffset));
  }
}

bool SaveBasketList(const std::string& file, DWORD& error) {
  TStringList lines;
  BuildBasketList(Basket, lines);
  if (lines.SaveToFile(file)) return true;
  error = GetLastError();
  return false;
}

void ParseBasketList(std::string_view text, TStringList& lines) {
  lines.Clear();
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsUsableLine(std::string(line))) lines.Add(std::string(line));
  }
}

bool LoadBasketList(const std::string& file, DWORD& error) {
  std::string text;
  if (!ReadWholeFile(file, text)) {
    error = GetLastError();
    return false;
  }
  TStringList lines;
  ParseBasketList(text, lines);
  TstateOfBrowser work;
  InitFileList(work, 10, 300, "*.*", 10000);
  work.SortKind = SortByNameOnly;
  for (const std::string& line : lines) {
    const size_t slash = line.rfind('\\');
    std::string folder = line.substr(0, slash + 1);
    const int32_t dir = FindOrAddDir(folder, work);
    if (dir > 0) AddFileFromDisk(folder, line.substr(slash + 1), uint32_t(dir), work);
  }
  ReplaceBasketWith(work);
  return true;
}

void ReplaceBasketWith(TstateOfBrowser& work) {
  // No message may be handled in between: a pane in basket mode paints
  // from the views' blocks.
  FreeFileList(Basket);
  MoveFileList(Basket, work);
  AttachBasketView(ModeLeftView, true, Basket);
  AttachBasketView(ModeSecondMark, true, Basket);
  RefreshAllLists();
}
