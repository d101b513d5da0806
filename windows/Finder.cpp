#include "windows/Finder.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/DirRegistry.h"
#include "core/ListLock.h"
#include "core/ReadFolder.h"
#include "core/Selection.h"
#include "core/SharedTexts.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "engines/WorkerEvents.h"
#include "windows/SelectionWalk.h"

TstateOfBrowser SearchList;
TstateOfBrowser* ResultsList = &SearchList;
TCriticalSection ResultsLock;

namespace {

// A synchronised call costs about as much as the bare work on a small file:
// the window hears of progress at most this often.
constexpr uint32_t kReportInterval = 50;
uint32_t g_reportInterval = kReportInterval;

constexpr uint32_t SortSizeNameExt = 66;
constexpr uint32_t SortNameExtSize = 136;
constexpr uint32_t RuleSameName = 1;

// "C:\T", "C:\T\" and "C:\T\\" name one folder.
std::string WithoutTrailingDelimiters(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// The folder record at DirCount, on its way into the list, numbered for the
// core routines (which take only registered numbers) for the life of the
// object; CommitDirRecord registers it for good.
class TPendingDir {
 public:
  explicit TPendingDir(TstateOfBrowser& list) : list_(list) { ++list_.DirCount; }
  ~TPendingDir() { --list_.DirCount; }
  TPendingDir(const TPendingDir&) = delete;
  TPendingDir& operator=(const TPendingDir&) = delete;
  uint32_t Number() const { return uint32_t(list_.DirCount); }

 private:
  TstateOfBrowser& list_;
};

// The duplicates are the first n order entries of one run over the whole
// block. They move to the front of the block in that order, the rest goes:
// the flat directory's records 1..n are then exactly the duplicates, which
// selection and totals walk.
void KeepDuplicateRecords(TstateOfBrowser& list, uint32_t n) {
  TListLock lock(list);
  const uint32_t count = uint32_t(std::max(list.FileCount, 0));
  if (!lock || n > count) return;
  TFileRecord* files = lock.Files();
  uint32_t* order = lock.Order();
  std::vector<TFileRecord> kept;
  std::vector<bool> used(count, false);
  kept.reserve(n);
  for (uint32_t p = 0; p < n; ++p) {
    const uint32_t r = order[p];
    if (r < 1 || r > count || used[r - 1]) continue;
    used[r - 1] = true;
    kept.push_back(files[r - 1]);
  }
  for (uint32_t r = 0; r < count; ++r)
    if (!used[r]) ReleaseOwnedIdList(files[r]);
  std::copy(kept.begin(), kept.end(), files);
  for (uint32_t p = 0; p < kept.size(); ++p) order[p] = p + 1;
  list.FileCount = int32_t(kept.size());
}

}  // namespace

bool BuildPatternBlock(TFinder& finder, const std::string& text, bool caseSensitive, bool phrase,
                       UINT codePage) {
  finder.IgnoreCase = !caseSensitive;
  finder.PatternBlock = BuildFinderPatterns(text, caseSensitive, phrase, codePage, finder.PatternCount);
  finder.HasPatterns = finder.PatternBlock.Handle() != nullptr;
  finder.matcherReady_ = false;
  return finder.HasPatterns;
}

bool FileContainsText(TFinder& finder, const std::string& path) {
  if (!finder.HasPatterns || finder.PatternCount <= 0) return false;
  if (!finder.matcherReady_) {
    TGlobalLock lock(finder.PatternBlock.Handle());
    const auto patterns =
        ReadFinderPatterns(lock.Get(), finder.PatternBlock.Size(), finder.PatternCount);
    finder.matcherReady_ = finder.matcher_.Compile(patterns, finder.IgnoreCase, finder.AllWords);
    if (!finder.matcherReady_) return false;
  }
  // A missing file or a folder fails to open: no attribute test first, which
  // would cost as much again as the open on a small file.
  THandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size)) return false;
  const uint32_t blockSize = FinderBlockSize();
  if (finder.buffer_.size() != blockSize) finder.buffer_.assign(blockSize, 0);
  TFinderMatcher& matcher = finder.matcher_;
  matcher.Reset();
  for (uint64_t remaining = uint64_t(size.QuadPart); remaining > 0;) {
    if (finder.Terminated()) return false;
    const auto want = DWORD(std::min<uint64_t>(remaining, blockSize));
    DWORD got = 0;
    if (!ReadFile(file.Get(), finder.buffer_.data(), want, &got, nullptr) || got != want)
      return false;
    matcher.Feed(finder.buffer_.data(), got);
    if (matcher.Hit()) return true;
    remaining -= got;
  }
  return false;
}

void TFinder::Execute() {
  finished_ = false;
  const TFileFilter& filter = SearchList.Filter;
  if (filter.Duplicates) {
    SearchList.SortKind =
        (filter.DuplicateRule & 3) == RuleSameName ? SortNameExtSize : SortSizeNameExt;
    ReadFlags = ReadFilesOnly;
  } else {
    ReadFlags = ReadFilesAndFolders;
  }
  std::exception_ptr failure;
  try {
    Walk();
  } catch (...) {
    failure = std::current_exception();
  }
  // The final step runs on every path: the window waits for it to turn its
  // Stop button into Cancel.
  Finish();
  if (failure) std::rethrow_exception(failure);
}

void TFinder::Walk() {
  if (!SearchPaths) {
    SearchSelection();
    return;
  }
  for (const std::string& path : *SearchPaths) {
    if (Terminated()) break;
    CurrentPath = WithoutTrailingDelimiters(path);
    SearchFolder(CurrentPath);
  }
}

// The walk's begin reads the panes and its end recounts the lists they paint
// from: both run on the user-interface thread. The steps run here, while
// that thread waits in the results window.
void TFinder::SearchSelection() {
  bool begun = false;
  Synchronize([&begun] { begun = BeginSelectionWalk(CheckSelected); });
  if (!begun) return;
  struct TWalkEnd {
    ~TWalkEnd() {
      try {
        Synchronize([] { EndListOperation(); });
      } catch (...) {
        // The walk's blocks stay locked until the next begin resets them.
      }
    }
  } end;
  const TItemUpdate unselect{iuUnselect};
  // Selected folders first, then the files that none of them holds.
  while (TSelectedItem* item = Terminated() ? nullptr : NextSelectedItem(WalkInPool)) {
    if (!(item->Attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    SearchFolder(WithoutTrailingDelimiters(ItemPath(*item)));
    UpdateItemState(&unselect);
  }
  ResetSelectionWalk();
  while (TSelectedItem* item = Terminated() ? nullptr : NextSelectedItem(WalkInPool)) {
    std::string folder = item->Folder;
    bool registered = false;
    if (!folder.empty()) {
      TLock lock(ResultsLock);
      registered = FindDirInsertPos(folder, SearchList) < 0;
    }
    if (registered) UpdateItemState(&unselect);
  }
  ResetSelectionWalk();
  while (TSelectedItem* item = Terminated() ? nullptr : NextSelectedItem(WalkInPool)) {
    CheckFile(item->Folder, item->Name);
    UpdateItemState(&unselect);
  }
}

// Depth first, a folder's own entries before its subfolders, subfolders in
// the order read; an explicit stack, since a deep tree must not exhaust the
// thread's stack.
void TFinder::SearchFolder(const std::string& path) {
  std::vector<std::string> pending{path};
  while (!pending.empty() && !Terminated()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    TStringList names;
    SearchOneFolder(folder, names);
    for (size_t i = names.Count(); i-- > 0;) pending.push_back(folder + "\\" + names[i]);
  }
}

void TFinder::SearchOneFolder(const std::string& path, TStringList& names) {
  CurrentPath = path;
  SyncStatus();
  TstateOfBrowser& list = SearchList;
  int32_t pos = 0;
  uint32_t firstFile = 0, readEnd = 0;
  std::vector<std::string> candidates;  // full paths of the entries read, in block order
  {
    // Reading grows the list's blocks and pool, which the window may be
    // drawing from: the whole read happens under the lock, and the pending
    // folder is hidden again before the lock is left.
    TLock lock(ResultsLock);
    std::string key = path;
    pos = FindDirInsertPos(key, list);
    if (pos < 0 || !AppendDirRecord(key, list)) return;
    firstFile = uint32_t(list.FileCount);
    {
      TPendingDir pending(list);
      ReadFolder(pending.Number(), ReadFlags, list, &names);
      readEnd = uint32_t(list.FileCount);
      if (HasPatterns) CopyCandidates(pending.Number(), path, readEnd - firstFile, candidates);
    }
    list.FileCount = int32_t(firstFile);
  }
  // Content tests run without the lock, on the names copied under it. With
  // a text a folder is never a hit: it cannot be opened for reading.
  std::vector<bool> keep(candidates.size(), false);
  for (size_t j = 0; j < candidates.size() && !Terminated(); ++j) {
    if (candidates[j].empty()) continue;
    CurrentPath = candidates[j];
    SyncStatus();
    // A stop during the test drops the file even when the text was seen.
    keep[j] = FileContainsText(*this, candidates[j]) && !Terminated();
  }
  const bool duplicates = list.Filter.Duplicates;
  bool kept = false;
  {
    TLock lock(ResultsLock);
    list.FileCount = int32_t(readEnd);
    {
      TPendingDir pending(list);
      if (HasPatterns) {
        for (uint32_t r = 1; r <= candidates.size(); ++r)
          if (!keep[r - 1]) MarkFileForRemoval(pending.Number(), r, list);
        PurgeMarkedFiles(pending.Number(), list);
      }
      // Duplicates are sorted once over the whole list at the end.
      if (!duplicates) SortDir(pending.Number(), list.SortKind, list);
    }
    kept = CommitDirRecord(pos, list);
  }
  if (kept && !duplicates) SyncRowCount();
}

void TFinder::CopyCandidates(uint32_t dir, const std::string& path, uint32_t count,
                             std::vector<std::string>& candidates) {
  TPoolLock pool(SearchList.Names);
  TListLock records(SearchList);
  candidates.reserve(count);
  for (uint32_t r = 1; r <= count; ++r) {
    const TFileRecord* e = records.Record(dir, r);
    candidates.push_back(e && pool && !IsFolder(*e) ? path + "\\" + pool.Text(e->NameOffset)
                                                    : std::string());
  }
}

void TFinder::CheckFile(const std::string& folder, const std::string& name) {
  TSelectedItem item{const_cast<char*>(name.c_str()), const_cast<char*>(folder.c_str()), 0, 0};
  CurrentPath = ItemPath(item);
  SyncStatus();
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (name.size() >= MAX_PATH ||
      !GetFileAttributesExA(CurrentPath.c_str(), GetFileExInfoStandard, &data))
    return;  // gone since it was selected
  WIN32_FIND_DATAA entry{};
  entry.dwFileAttributes = data.dwFileAttributes;
  entry.ftCreationTime = data.ftCreationTime;
  entry.ftLastAccessTime = data.ftLastAccessTime;
  entry.ftLastWriteTime = data.ftLastWriteTime;
  entry.nFileSizeHigh = data.nFileSizeHigh;
  entry.nFileSizeLow = data.nFileSizeLow;
  memcpy(entry.cFileName, name.c_str(), name.size() + 1);
  TstateOfBrowser& list = SearchList;
  const TFilterList noMasks;
  if (!MatchFileFilter(ReadFlags, list.Filter, list.MaskList ? *list.MaskList : noMasks, entry))
    return;
  if (HasPatterns && !(FileContainsText(*this, CurrentPath) && !Terminated())) return;
  const bool duplicates = list.Filter.Duplicates;
  {
    TLock lock(ResultsLock);
    std::string key = folder;
    const int32_t dir = FindOrAddDir(key, list);
    const TPluginStructure& walk = PluginStructure;
    if (dir > 0 && walk.List)
      CopyFileRecord(walk.CurrentDir, walk.CurrentPos, uint32_t(dir), !duplicates, list, *walk.List);
  }
  if (!duplicates) SyncRowCount();
}

void TFinder::Finish() {
  TstateOfBrowser& list = SearchList;
  const bool duplicates = list.Filter.Duplicates;
  try {
    int32_t rows = 0, listed = 0;
    {
      TLock lock(ResultsLock);
      if (duplicates) {
        SortFilesRange(0, 0, uint32_t(std::max(list.FileCount, 0)), list, list.SortKind);
        KeepDuplicateRecords(list, FindDuplicates(int(list.Filter.DuplicateRule & 3), list));
        rows = listed = list.FileCount;
        FlattenDirBlocks(list, rows);
      } else {
        UpdateListTotals(list);
        rows = list.FileCount;
        listed = list.ListedFiles;
      }
    }
    FinalStatus = std::to_string(listed) + Tx(TextFilesInFinder);
    SyncFinalStatus(rows, !duplicates);
  } catch (...) {
    // The flag below still tells the window that the search is over.
  }
  PatternBlock.Free();
  HasPatterns = false;
  finished_ = true;
}

void TFinder::SyncStatus() { Report(); }

void TFinder::SyncRowCount() {
  rowsPending_ = true;
  Report();
}

void TFinder::Report() {
  const uint64_t now = GetTickCount64();
  if (reported_ && now - lastReport_ < g_reportInterval) return;
  reported_ = true;
  lastReport_ = now;
  const bool rows = std::exchange(rowsPending_, false);
  Synchronize([this, rows] {
    if (!Window) return;
    Window->ShowStatus(CurrentPath);
    if (!rows) return;
    const int32_t count =
        SearchList.FileCount + (Window->FullView() ? SearchList.DirCount : 0);
    Window->SetRowCount(count, count);
  });
}

void TFinder::SyncFinalStatus(int32_t rows, bool addFolders) {
  Synchronize([this, rows, addFolders] {
    if (!Window) return;
    Window->ShowStatus(FinalStatus);
    const int32_t count = rows + (addFolders && Window->FullView() ? SearchList.DirCount : 0);
    // Room for the "Files not found" line.
    Window->SetRowCount(count, count > 0 ? count : 3);
  });
}

void SelectFoundFiles(TstateOfBrowser& list) {
  TLock lock(ResultsLock);
  for (int32_t dir = 1; dir <= list.DirCount; ++dir)
    ChangeDirSelection(uint32_t(dir), list, false, SelSet);
  UpdateListTotals(list);
}

void FinderTesting::SetReportInterval(uint32_t ms) {
  g_reportInterval = ms == ~0u ? kReportInterval : ms;
}
