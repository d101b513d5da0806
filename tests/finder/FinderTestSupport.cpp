#include "finder/FinderTestSupport.h"

#include <algorithm>

#include "core/ListLock.h"

std::string Utf16(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(),
                                    int(wide.size()));
  std::string bytes;
  for (int i = 0; i < n; ++i) {
    bytes += char(wide[size_t(i)] & 0xFF);
    bytes += char(wide[size_t(i)] >> 8);
  }
  return bytes;
}

void TRecordingWindow::ShowStatus(const std::string& text) { Add({'S', text, 0, 0, false, false}); }

void TRecordingWindow::SetRowCount(int32_t rows, int32_t gridRows) {
  Add({'R', {}, rows, gridRows, false, false});
}

void TRecordingWindow::Add(TCall call) {
  call.OnUiThread = GetCurrentThreadId() == uiThread_;
  const DWORD owner = ResultsLock.OwnerThreadId();
  call.LockHeldElsewhere = owner != 0 && owner != GetCurrentThreadId();
  Calls.push_back(call);
  if (OnCall) OnCall(Calls.back());
}

std::unique_ptr<TFinder> PrepareSearch(const TSearchSetup& setup, IFinderWindow& window) {
  FreeFileList(SearchList);
  InitFileList(SearchList, 10, 300, setup.Masks, 10000);
  SearchList.Filter = setup.Filter;
  SearchList.Filter.Active = 1;
  SearchList.ModeFlags = ModeResults;
  auto finder = std::make_unique<TThreadOf<TFinder>>();
  finder->Window = &window;
  if (!setup.Selection) finder->SearchPaths = setup.Paths;
  if (!setup.Text.empty())
    BuildPatternBlock(*finder, setup.Text, setup.CaseSensitive, setup.Phrase);
  finder->AllWords = setup.AllWords;
  return finder;
}

void RunToEnd(TFinder& finder) {
  finder.Resume();
  finder.WaitFor();
}

std::vector<std::string> ListedPaths(const std::string& root) {
  std::vector<std::string> paths;
  TLock guard(ResultsLock);
  TstateOfBrowser& list = SearchList;
  TPoolLock pool(list.Names);
  TListLock lock(list);
  for (uint32_t dir = 1; int32_t(dir) <= list.DirCount; ++dir) {
    const TDirRecord* d = lock.Dir(dir);
    for (uint32_t pos = 1; d && pos <= d->FileCount; ++pos) {
      const TFileRecord* e = lock.Entry(dir, pos);
      if (!e) continue;
      std::string path = EntryDirPath(e->DirNumber, list) + "\\" + pool.Text(e->NameOffset);
      if (IsFolder(*e)) path += "\\";
      if (!root.empty() && path.compare(0, root.size() + 1, root + "\\") == 0)
        path.erase(0, root.size() + 1);
      paths.push_back(path);
    }
  }
  return paths;
}

std::string SortedListing(const std::string& root) {
  std::vector<std::string> paths = ListedPaths(root);
  std::sort(paths.begin(), paths.end());
  std::string joined;
  for (const std::string& p : paths) joined += (joined.empty() ? "" : " ") + p;
  return joined;
}
