// Reads a generated tree into a pane's list with every folder open, lets the
// icon reader fill it while this thread runs a message loop that posts
// itself a message every few milliseconds, and prints the entries, the
// reader's seconds, the worst wait of a posted message, and the floor: a
// bare SHGetFileInfoA loop over the same paths, with no list and no
// synchronised calls.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Clock.h"
#include "core/IconReader.h"
#include "core/ListLock.h"
#include "core/ReadFolder.h"
#include "core/RowTexts.h"
#include "core/SortList.h"

namespace {

// The tree as a pane in tree mode shows it when every folder is opened.
bool ReadTree(const std::string& root, TstateOfBrowser& list, std::vector<std::string>& paths) {
  InitFileList(list, 1, 300, "*.*", 100000);
  if (!OpenPathAsRoot(root, list) || !ReadDirEntries(1, ReadFoldersSkipMasks, list)) return false;
  SortDir(1, list.SortKind, list);
  uint32_t folders = 0;
  {
    TListLock lock(list);
    folders = lock.Dir(1)->FileCount;
  }
  for (uint32_t pos = 1; pos <= folders; ++pos) {
    const int32_t dir = ToggleFolderEntry(1, pos, list);
    if (dir > 0 && ReadDirEntries(uint32_t(dir), ReadFoldersSkipMasks, list)) SortDir(uint32_t(dir), list.SortKind, list);
  }
  TListLock lock(list);
  TPoolLock pool(list.Names);
  for (uint32_t d = 1; int32_t(d) <= list.DirCount; ++d)
    for (uint32_t r = 1; const TFileRecord* e = lock.Record(d, r); ++r)
      if (!IsFolder(*e)) paths.push_back(std::string(pool.Text(lock.Dir(d)->PathOffset)) + "\\" + pool.Text(e->NameOffset));
  return true;
}

double FloorSeconds(const std::vector<std::string>& paths) {
  const double start = Now();
  SHFILEINFOA sfi{};
  for (const std::string& p : paths)
    SHGetFileInfoA(p.c_str(), FILE_ATTRIBUTE_NORMAL, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: bench_icons ROOT\n");
    return 2;
  }
  InitSynchronize();
  LoadRegisteredExtensions(RegisteredExtensions);
  GetShellIconIndexes();
  TstateOfBrowser list;
  std::vector<std::string> paths;
  if (!ReadTree(argv[1], list, paths)) {
    fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  HWND grid = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  constexpr UINT kProbe = WM_APP + 7;
  TIconThread thread;
  const double start = Now();
  GetItemIconIndex(1, 1, list, grid, thread);
  if (!thread) {
    fprintf(stderr, "the icon reader did not start\n");
    return 1;
  }
  double worst = 0;
  while (!thread->Finished()) {
    const double posted = Now();
    PostThreadMessageA(GetCurrentThreadId(), kProbe, 0, 0);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) && m.message != kProbe) DispatchMessageA(&m);
    worst = std::max(worst, Now() - posted);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
  }
  const double seconds = Now() - start;
  int unread = 0;
  {
    TListLock lock(list);
    for (uint32_t d = 1; int32_t(d) <= list.DirCount; ++d)
      for (uint32_t r = 1; const TFileRecord* e = lock.Record(d, r); ++r)
        unread += e->IconIndex == IconUnread && e->OpenIconIndex == IconUnread;
  }
  StopIconReader(thread);
  const double floor = FloorSeconds(paths);
  printf("%d %.3f %.1f %.3f %d\n", list.FileCount, seconds, worst * 1000, floor, unread);
  DestroyWindow(grid);
  FreeFileList(list);
  return 0;
}
