#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/FreshProcess.h"
#include "support/PaneList.h"
#include "support/ProcessThreads.h"
#include "support/ShellDesktop.h"
#include "support/TempFolder.h"
#include "core/IconReader.h"
#include "core/ListLock.h"
#include "framework/Forms.h"
#include "framework/Registry.h"

namespace {

constexpr const char* kOwnExtension = ".kvticonprobe";

// stem, number and extension as one name.
std::string Numbered(const char* stem, int n, const char* ext) {
  std::string s = stem;
  s += std::to_string(n);
  s += ext;
  return s;
}

// An extension key of the test's own under HKEY_CLASSES_ROOT, removed at the end.
struct TRegisteredExtension {
  std::string key;
  explicit TRegisteredExtension(std::string k) : key(std::move(k)) {
    TRegistry classes(HKEY_CLASSES_ROOT);
    EXPECT_TRUE(classes.OpenKey(key, true));
    classes.WriteString("", "kvtprobefile");
  }
  ~TRegisteredExtension() { TRegistry(HKEY_CLASSES_ROOT).DeleteKey(key); }
};

// A pane's list and what the reader left in its records.
struct TIconList : TPaneList {
  TFileRecord& Entry(uint32_t dir, const char* name) {
    TListLock lock(list);
    return *lock.Entry(dir, Find(dir, name));
  }
  // Every entry of the directory, in block order.
  std::vector<TFileRecord> Records(uint32_t dir) {
    TListLock lock(list);
    std::vector<TFileRecord> records;
    for (uint32_t r = 1; lock.Record(dir, r); ++r) records.push_back(*lock.Record(dir, r));
    return records;
  }
  int Unread() {
    int n = 0;
    for (int32_t d = 1; d <= list.DirCount; ++d)
      for (const TFileRecord& r : Records(uint32_t(d)))
        n += r.IconIndex == IconUnread && (!(r.Flags & FileOpen) || r.OpenIconIndex == IconUnread);
    return n;
  }
};

// The grid the thread repaints: a real window that counts what reaches it.
struct TCountingWindow {
  HWND hwnd;
  static inline int paints = 0, keys = 0;
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
      ++paints;
      PAINTSTRUCT ps;
      BeginPaint(w, &ps);
      EndPaint(w, &ps);
      return 0;
    }
    if (msg == WM_KEYDOWN) ++keys;
    return DefWindowProcA(w, msg, wp, lp);
  }
  TCountingWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TKvtCountingGrid";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
    UpdateWindow(hwnd);
    Application().ProcessMessages();
    paints = keys = 0;
  }
  ~TCountingWindow() { DestroyWindow(hwnd); }
};

void LoadIcons() {
  LoadRegisteredExtensions(RegisteredExtensions);
  GetShellIconIndexes();
}

// Waits for the thread the way a pane lets it run: the loop keeps going.
void RunOut(TIconThread& thread) {
  ASSERT_TRUE(thread);
  while (!thread->Finished()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    Application().ProcessMessages();
  }
  Application().ProcessMessages();
}

TEST(IconReader, ValuesToDraw) {
  TRegisteredExtension own(kOwnExtension);
  LoadIcons();
  EXPECT_NE(SystemImageList, nullptr);
  EXPECT_GE(FolderIconIndex, 0);
  EXPECT_GE(OpenFolderIconIndex, 0);
  const int32_t ini = GetIconIndexByExtension("ini");
  EXPECT_GE(ini, 0);

  TTempFolder dir;
  dir.File("a.ini");
  dir.File("b.INI");
  dir.File("c.kvtnosuchext");
  dir.File("d.kvticonprobe");
  dir.File("noext");
  dir.Folder("sub");
  TIconList pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  pane.Toggle(1, "sub");
  pane.list.Busy = 1;  // no thread here: the provisional values alone

  TIconThread thread;
  struct {
    const char* name;
    int32_t drawn;  // through GetItemIconIndex
    int32_t now;    // through GetItemIconIndexNow
  } const cases[] = {
      {"a.ini", ini, ini},
      {"b.INI", ini, ini},  // extensions are found whatever their case
      {"c.kvtnosuchext", IconNoFileIcon, IconNoFileIcon},
      {"d.kvticonprobe", GetIconIndexByExtension(kOwnExtension + 1), GetIconIndexByExtension(kOwnExtension + 1)},
      {"noext", IconNoFileIcon, IconNoFileIcon},
      {"sub", FolderIconIndex, FolderIconIndex},
  };
  EXPECT_GE(cases[3].drawn, 0) << "the key registered here is found";
  for (const auto& c : cases) {
    const uint32_t pos = pane.Find(1, c.name);
    EXPECT_EQ(GetItemIconIndex(1, pos, pane.list, nullptr, thread), c.drawn) << c.name;
    EXPECT_EQ(pane.Entry(1, c.name).IconIndex, IconUnread) << c.name << ": nothing stored";
    EXPECT_EQ(GetItemIconIndexNow(1, pos, pane.list), c.now) << c.name;
  }
  EXPECT_FALSE(thread);
  // The header row: the open folder without a thread, nothing through it.
  EXPECT_EQ(GetItemIconIndexNow(1, 0, pane.list), OpenFolderIconIndex);
  EXPECT_EQ(GetItemIconIndex(1, 0, pane.list, nullptr, thread), IconUnread);
  // Read values come back as they are; an open folder shows its open icon.
  pane.Entry(1, "c.kvtnosuchext").IconIndex = 7;
  pane.Entry(1, "sub").IconIndex = 8;
  pane.Entry(1, "sub").OpenIconIndex = 9;
  EXPECT_EQ(GetItemIconIndex(1, pane.Find(1, "c.kvtnosuchext"), pane.list, nullptr, thread), 7);
  EXPECT_EQ(GetItemIconIndex(1, pane.Find(1, "sub"), pane.list, nullptr, thread), 9);
  EXPECT_EQ(GetIconIndexByExtension("kvtnosuchext"), -1);
}

TEST(IconReader, ThreadStartsOnlyOnAListNobodyElseChanges) {
  LoadIcons();
  TTempFolder dir;
  dir.File("a.txt");
  TIconList pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  struct {
    uint8_t busy;
    uint32_t mode;
    bool started;
  } const cases[] = {{1, 0, false}, {0, ModeBasketView, false}, {0, 0, true}};
  for (const auto& c : cases) {
    pane.list.Busy = c.busy;
    pane.list.ModeFlags = c.mode;
    TIconThread thread;
    GetItemIconIndex(1, 1, pane.list, nullptr, thread);
    EXPECT_EQ(bool(thread), c.started) << int(c.busy) << " " << c.mode;
    if (thread) {
      EXPECT_EQ(thread->Priority(), THREAD_PRIORITY_BELOW_NORMAL);
    }
    if (thread) RunOut(thread);
    StopIconReader(thread);
  }
}

TEST(IconReader, ThreadReadsOpenDirectoriesAndRepaintsOnce) {
  LoadIcons();
  TTempFolder dir;
  for (const char* f : {"a.ini", "b.kvtnosuchext", "c.txt", "gone.ini", "open\\x.ini", "open\\deeper\\y.txt",
                        "closed\\z.ini"})
    dir.File(f);
  dir.Folder("gonefolder");
  TIconList pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  const int32_t open = pane.Toggle(1, "open");
  ASSERT_GT(open, 0);
  ASSERT_GT(pane.Toggle(uint32_t(open), "deeper"), 0);
  const int32_t closed = pane.Toggle(1, "closed");
  ASSERT_GT(closed, 0);
  pane.Toggle(1, "closed");  // closed again: its directory is not read
  ASSERT_FALSE(pane.Entry(1, "closed").Flags & FileOpen);
  // Gone after the read: the shell has nothing to give for them.
  dir.Remove("gone.ini");
  dir.Remove("gonefolder");

  TCountingWindow grid;
  TIconThread thread;
  GetItemIconIndex(1, 1, pane.list, grid.hwnd, thread);
  RunOut(thread);
  EXPECT_EQ(grid.paints, 1);

  for (int32_t d = 1; d <= pane.list.DirCount; ++d) {
    for (const TFileRecord& r : pane.Records(uint32_t(d))) {
      const std::string name = pane.list.Names->GetString(r.NameOffset);
      if (uint32_t(d) == uint32_t(closed)) {
        EXPECT_EQ(r.IconIndex, IconUnread) << name;
      } else if (r.Flags & FileOpen) {
        EXPECT_GE(r.OpenIconIndex, 0) << name;
        EXPECT_EQ(r.IconIndex, IconUnread) << name;
      } else if (name == "gone.ini") {
        EXPECT_EQ(r.IconIndex, IconNoFileIcon);
      } else if (name == "gonefolder") {
        EXPECT_EQ(r.IconIndex, IconFolder);
      } else {
        EXPECT_GE(r.IconIndex, 0) << name;
      }
    }
  }
  // A finished thread stays in the variable: the list is read once per filling.
  pane.Entry(1, "a.ini").IconIndex = IconUnread;
  ThreadForReadIcons* first = thread.get();
  GetItemIconIndex(1, pane.Find(1, "a.ini"), pane.list, grid.hwnd, thread);
  EXPECT_EQ(thread.get(), first);
  StopIconReader(thread);
  EXPECT_FALSE(thread);
}

// Shell-namespace entries go to the shell through their item-id lists and
// get what the folder reader got for them.
TEST(IconReader, ShellEntriesAreReadThroughTheirItemIdLists) {
  LoadIcons();
  TShellDesktop desktop;
  ASSERT_TRUE(desktop.Ready());
  TTempFolder dir;
  dir.File("a.ini");
  dir.File("b.kvtnosuchext");
  dir.Folder("sub");
  TIconList pane;
  LPITEMIDLIST pidl = ILCreateFromPathA(dir.Path().c_str());
  ASSERT_NE(pidl, nullptr);
  AddDirRecord(pane.list, TDirRecord{pidl, 0, 0, pane.list.Names->Add("shell"),
                                     DirOpen | DirOwnsIdList | DirShellFolder, 1, -1});
  ASSERT_TRUE(ReadDirEntries(1, 0, pane.list));
  std::vector<int32_t> read;
  {
    TListLock lock(pane.list);
    for (uint32_t r = 1; TFileRecord* e = lock.Record(1, r); ++r) {
      ASSERT_NE(e->ItemIdList, nullptr);
      read.push_back(e->IconIndex);
      e->IconIndex = IconUnread;
    }
  }
  ASSERT_EQ(read.size(), 3u);
  TIconThread thread;
  GetItemIconIndex(1, 1, pane.list, nullptr, thread);
  RunOut(thread);
  std::vector<int32_t> thenRead;
  for (const TFileRecord& r : pane.Records(1)) thenRead.push_back(r.IconIndex);
  EXPECT_EQ(thenRead, read);
  for (int32_t icon : thenRead) EXPECT_GE(icon, 0);
  StopIconReader(thread);
}

// Run by the test below in a process that never made the cache.
TEST(IconReader, DISABLED_NoCacheMade) {
  EXPECT_EQ(GetIconIndexByExtension("ini"), -1);
  EndFreshProcessCase();
}

TEST(IconReader, ACacheNeverMadeGivesMinusOne) {
  EXPECT_TRUE(PassesInAFreshProcess("IconReader.DISABLED_NoCacheMade"));
}

// What the thread saw and did while the test stopped it.
struct TStopProbe {
  static inline HANDLE reached = nullptr;
  static inline int entries = 0;
  static inline int holdAt = 0;  // 0: never hold
  static inline TIconThread* variable = nullptr;
  static inline bool variableNilInWait = false;
  static inline int keysInWait = -1, paintsInWait = -1;
  static inline int priorityInStop = 0;
  static inline UINT threadErrorMode = 0, processErrorMode = 0;
  static void Hook(ThreadForReadIcons& t) {
    if (++entries != holdAt) return;
    threadErrorMode = GetThreadErrorMode();
    processErrorMode = GetErrorMode();
    SetEvent(reached);
    while (!t.Terminated()) Sleep(1);
    priorityInStop = GetThreadPriority(GetCurrentThread());
    Synchronize([] {
      variableNilInWait = !*variable;
      keysInWait = TCountingWindow::keys;
      paintsInWait = TCountingWindow::paints;
    });
  }
};

TEST(IconReader, StopInTheMiddleLetsNothingInAndTheNextThreadFinishes) {
  LoadIcons();
  TTempFolder dir;
  for (int i = 0; i < 40; ++i) dir.File(Numbered("f", i, ".ini"));
  TIconList pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  TCountingWindow grid;
  TIconThread thread;
  TStopProbe::reached = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  TStopProbe::variable = &thread;
  TStopProbe::holdAt = 10;
  const UINT processErrorMode = GetErrorMode();
  ThreadForReadIcons::BeforeEntry = TStopProbe::Hook;

  GetItemIconIndex(1, 1, pane.list, grid.hwnd, thread);
  ASSERT_EQ(WaitForSentOnly(TStopProbe::reached, 10000), WAIT_OBJECT_0);
  PostMessageA(grid.hwnd, WM_KEYDOWN, VK_DOWN, 1);
  InvalidateRect(grid.hwnd, nullptr, FALSE);
  StopIconReader(thread);
  StopIconReader(thread);  // a second stop finds nothing to free
  EXPECT_TRUE(TStopProbe::variableNilInWait);
  EXPECT_EQ(TStopProbe::priorityInStop, THREAD_PRIORITY_ABOVE_NORMAL);
  // The thread's own error mode; the process's stays as it was.
  EXPECT_EQ(TStopProbe::threadErrorMode & SEM_FAILCRITICALERRORS, UINT(SEM_FAILCRITICALERRORS));
  EXPECT_EQ(TStopProbe::processErrorMode, processErrorMode);
  EXPECT_EQ(GetErrorMode(), processErrorMode);
  EXPECT_EQ(TStopProbe::keysInWait, 0);
  EXPECT_EQ(TStopProbe::paintsInWait, 0);
  Application().ProcessMessages();
  EXPECT_EQ(TCountingWindow::keys, 1);
  EXPECT_EQ(TCountingWindow::paints, 1);
  EXPECT_EQ(pane.Unread(), 40 - 9);

  TStopProbe::entries = 0;
  TStopProbe::holdAt = 0;
  for (uint32_t pos = 1; pos <= 40; ++pos) GetItemIconIndex(1, pos, pane.list, grid.hwnd, thread);
  RunOut(thread);
  ThreadForReadIcons::BeforeEntry = nullptr;
  EXPECT_EQ(TStopProbe::entries, 40 - 9) << "only the entries left unread";
  EXPECT_EQ(pane.Unread(), 0);
  StopIconReader(thread);
  CloseHandle(TStopProbe::reached);
}

TEST(IconReader, AThousandStartsAndStopsLeaveNoThread) {
  LoadIcons();
  TTempFolder dir;
  for (int i = 0; i < 5; ++i) dir.File(Numbered("f", i, ".ini"));
  TIconList pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  TIconThread thread;
  auto startAndStop = [&] {
    pane.Entry(1, "f0.ini").IconIndex = IconUnread;
    GetItemIconIndex(1, pane.Find(1, "f0.ini"), pane.list, nullptr, thread);
    ASSERT_TRUE(thread);
    StopIconReader(thread);
  };
  startAndStop();  // the shell's own threads, once
  const int before = ThreadsOfThisProcess();
  for (int i = 0; i < 1000; ++i) startAndStop();
  EXPECT_EQ(ThreadsOfThisProcess(), before);
  EXPECT_EQ(TThread::LiveCount(), 0);
}

TEST(IconReader, PaintingUnreadEntriesAsksOncePerExtension) {
  std::vector<std::unique_ptr<TRegisteredExtension>> keys;
  for (int e = 0; e < 50; ++e) keys.push_back(std::make_unique<TRegisteredExtension>(Numbered(".kvtp", e, "")));
  LoadIcons();
  TTempFolder dir;
  for (int i = 0; i < 1000; ++i) dir.File(Numbered("f", i, Numbered(".kvtp", i % 50, "").c_str()));
  TIconList pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  pane.list.Busy = 1;
  TIconThread thread;
  const uint32_t before = ExtensionIconQueries();
  for (int paint = 0; paint < 2; ++paint)
    for (uint32_t pos = 1; pos <= 1000; ++pos) EXPECT_GE(GetItemIconIndex(1, pos, pane.list, nullptr, thread), 0);
  EXPECT_EQ(ExtensionIconQueries() - before, 50u);
}

// Every synchronised call of the thread is short: the loop's own messages
// keep their turn however many entries it reads.
TEST(IconReader, UserInterfaceAnswersWhileTheThreadReads) {
  LoadIcons();
  TTempFolder dir;
  for (int i = 0; i < 1000; ++i) dir.File(Numbered("f", i, i % 3 ? ".ini" : ".txt"));
  TIconList pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  TCountingWindow grid;
  TIconThread thread;
  GetItemIconIndex(1, 1, pane.list, grid.hwnd, thread);
  constexpr UINT kProbe = WM_APP + 7;
  DWORD worst = 0;
  while (!thread->Finished()) {
    const DWORD posted = GetTickCount();
    PostThreadMessageA(GetCurrentThreadId(), kProbe, 0, 0);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) && m.message != kProbe) DispatchMessageA(&m);
    worst = std::max(worst, GetTickCount() - posted);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
  }
  Application().ProcessMessages();
  EXPECT_LT(worst, 100u);
  EXPECT_EQ(pane.Unread(), 0);
  EXPECT_EQ(grid.paints, 1);
  StopIconReader(thread);
}

}  // namespace
