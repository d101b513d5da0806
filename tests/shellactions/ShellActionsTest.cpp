#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/BoxWatch.h"
#include "support/PaneList.h"
#include "support/ShellDesktop.h"
#include "support/TempFolder.h"
#include "controls/PylStringGrid.h"
#include "core/FileUtils.h"
#include "core/ListLock.h"
#include "core/ShellActions.h"
#include "core/translator.h"
#include "framework/Forms.h"
#include "framework/Registry.h"

namespace {

std::string TestFolder() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string s = self;
  return s.substr(0, s.rfind('\\'));
}

const std::string kLogger = TestFolder() + "\\kvt_shelllog.exe";
const std::string kLog = TestFolder() + "\\shelllog.txt";

// What the logging program wrote: its command line and working folder.
struct TLoggedRun {
  bool ran = false;
  std::string commandLine, folder;
};

TLoggedRun WaitForLoggedRun(DWORD timeoutMs = 10000) {
  TLoggedRun run;
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
    Application().ProcessMessages();
    const std::string text = ReadTestFile(kLog);
    if (text.empty()) continue;
    DeleteFileA(kLog.c_str());
    const size_t eol = text.find('\n');
    run.ran = true;
    run.commandLine = text.substr(0, eol);
    run.folder = text.substr(eol + 1, text.find('\n', eol + 1) - eol - 1);
    break;
  }
  return run;
}

// OLE for the test's thread, as the start-up does: the clipboard verbs need it.
struct TOleThread {
  TOleThread() { OleInitialize(nullptr); }
};

// The shell as the main window sets it up, a form owning its calls, and a
// pane's list over a folder of the test's.
struct TShellFixture : TPaneList {
  TOleThread ole;
  TShellDesktop desktop;
  TForm form;
  TTempFolder dir;
  TShellFixture() {
    RegisterSharedTexts();
    form.Show();
    ShellOwnerWindow = form.Handle();
    DeleteFileA(kLog.c_str());
  }
  ~TShellFixture() { ShellOwnerWindow = nullptr; }
  void Read() { ASSERT_TRUE(Open(dir.Path())); }
  uint32_t Pos(const char* name) { return Find(1, name); }
  // A shell-namespace root, as a drive of the shell would give.
  void MakeRootShellFolder() {
    TListLock lock(list);
    lock.Dir(1)->Flags |= DirShellFolder;
  }
};

// An extension whose open command is the logging program.
struct TOpenCommand {
  TOpenCommand() {
    TRegistry classes(HKEY_CLASSES_ROOT);
    EXPECT_TRUE(classes.OpenKey(".kvtshelltest", true));
    classes.WriteString("", "kvtshelltestfile");
    EXPECT_TRUE(classes.OpenKey("kvtshelltestfile\\shell\\open\\command", true));
    classes.WriteString("", "\"" + kLogger + "\" \"%1\"");
  }
  ~TOpenCommand() {
    TRegistry classes(HKEY_CLASSES_ROOT);
    classes.DeleteKey(".kvtshelltest");
    classes.DeleteKey("kvtshelltestfile");
  }
};

// In a tree and in the flat view alike the entry's own folder is the
// working folder.
TEST(ShellActions, ViewerEditorAndOpenGetTheQuotedPathAndTheRealFolderUnquoted) {
  TOpenCommand command;
  TShellFixture f;
  TBoxWatch watch;  // a wrong folder gives "File not found", which would wait for an answer
  f.dir.File("sub\\some file.kvtshelltest", 10);
  f.Read();
  const int32_t sub = f.Toggle(1, "sub");
  ASSERT_GT(sub, 0);
  const std::string folder = f.dir / "sub";
  const std::string full = folder + "\\some file.kvtshelltest";
  struct {
    const char* action;
    const char* viewer;
    const char* editor;
  } const cases[] = {{"view", kLogger.c_str(), "kvt-no-editor.exe"},
                     {"edit", "kvt-no-viewer.exe", kLogger.c_str()},
                     {"open", "kvt-no-viewer.exe", "kvt-no-editor.exe"}};
  for (const bool flat : {false, true}) {
    uint32_t dir = uint32_t(sub);
    if (flat) {
      FlattenDirBlocks(f.list, f.list.FileCount);
      SortDir(1, f.list.SortKind, f.list);
      dir = 1;
    }
    for (const auto& c : cases) {
      ViewerPath = c.viewer;
      EditorPath = c.editor;
      const std::string action = c.action;
      const uint32_t pos = f.Find(dir, "some file.kvtshelltest");
      if (action == "open")
        EXPECT_TRUE(ExecuteFileEntry(dir, pos, f.list));
      else
        ViewOrEditFile(dir, pos, f.list, action == "edit");
      const TLoggedRun run = WaitForLoggedRun();
      ASSERT_TRUE(run.ran) << action << (flat ? " flat" : "");
      EXPECT_NE(run.commandLine.find("\"" + full + "\""), std::string::npos) << run.commandLine;
      EXPECT_EQ(run.folder, folder) << action << (flat ? " flat" : "");
    }
  }
  ViewOrEditFile(1, 0, f.list, false);  // the header row
  EXPECT_FALSE(WaitForLoggedRun(300).ran);
  EXPECT_TRUE(watch.Boxes.empty());
}

TEST(ShellActions, NewFilesAndFolders) {
  TShellFixture f;
  f.dir.File("ten.txt", 10);
  f.Read();
  EditorPath = kLogger;
  ASSERT_TRUE(EditNewFile("ten.txt", f.list));
  EXPECT_EQ(GetFileSize64(f.dir / "ten.txt"), 10) << "an existing file is opened as it is";
  TLoggedRun run = WaitForLoggedRun();
  EXPECT_NE(run.commandLine.find("\"" + (f.dir / "ten.txt") + "\""), std::string::npos) << run.commandLine;
  ASSERT_TRUE(EditNewFile("new.txt", f.list));
  EXPECT_EQ(GetFileSize64(f.dir / "new.txt"), 0);
  run = WaitForLoggedRun();
  EXPECT_NE(run.commandLine.find("\"" + (f.dir / "new.txt") + "\""), std::string::npos) << run.commandLine;
  EXPECT_EQ(run.folder, f.dir.Path());
  EXPECT_FALSE(EditNewFile("no\\such\\folder\\x.txt", f.list)) << "a file that cannot be made";

  EXPECT_TRUE(CreateSubfolder("sub", f.list));
  EXPECT_TRUE(PathExists(f.dir / "sub"));
  EXPECT_FALSE(CreateSubfolder("sub", f.list));

  f.MakeRootShellFolder();
  EXPECT_FALSE(EditNewFile("other.txt", f.list));
  EXPECT_FALSE(CreateSubfolder("other", f.list));
  EXPECT_FALSE(PathExists(f.dir / "other.txt"));
  EXPECT_FALSE(PathExists(f.dir / "other"));
  EXPECT_FALSE(WaitForLoggedRun(300).ran);
}

TEST(ShellActions, ExecutingEntriesAndMissingFiles) {
  TOpenCommand command;
  TShellFixture f;
  f.dir.File("doc.kvtshelltest");
  f.dir.File("gone.txt");
  f.dir.Folder("folder");
  f.Read();
  ASSERT_TRUE(ExecuteFileEntry(1, f.Pos("doc.kvtshelltest"), f.list));
  const TLoggedRun run = WaitForLoggedRun();
  ASSERT_TRUE(run.ran);
  EXPECT_NE(run.commandLine.find(f.dir / "doc.kvtshelltest"), std::string::npos) << run.commandLine;
  EXPECT_FALSE(ExecuteFileEntry(1, f.Pos("folder"), f.list));
  EXPECT_FALSE(ExecuteFileEntry(1, 0, f.list));

  f.dir.Remove("gone.txt");
  ViewerPath = kLogger;
  struct {
    const char* action;
    bool icon;
  } const missing[] = {{"execute", true}, {"view", false}, {"menu", true}};
  IContextMenu2* icm = nullptr;
  for (const auto& m : missing) {
    TBoxWatch watch;
    const std::string action = m.action;
    const uint32_t pos = f.Pos("gone.txt");
    if (action == "execute") {
      EXPECT_TRUE(ExecuteFileEntry(1, pos, f.list));
    } else if (action == "view") {
      ViewOrEditFile(1, pos, f.list, false);
    } else {
      ShowShellContextMenu(f.form.Handle(), icm, nullptr, 0, 0, 1, pos, f.list);
    }
    ASSERT_EQ(watch.Boxes.size(), 1u) << action;
    EXPECT_EQ(watch.Boxes[0].Caption, "error!");
    EXPECT_EQ(watch.Boxes[0].Text, "File not found");
    EXPECT_EQ(watch.Boxes[0].HasIcon, m.icon) << action;
    EXPECT_EQ(watch.Boxes[0].Owner, f.form.Handle());
  }
  EXPECT_FALSE(WaitForLoggedRun(300).ran) << "nothing was started for a missing file";
}

// Closes the shell's explorer windows; true when one was there.
bool CloseExplorerWindows() {
  bool found = false;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000 && !found; Sleep(50)) {
    for (HWND w; (w = FindWindowA("ExplorerWClass", nullptr)) != nullptr;) {
      found = true;
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      THandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
      PostMessageA(w, WM_CLOSE, 0, 0);
      // Its process holds the test's output open until it ends.
      WaitForSingleObject(process.Get(), 5000);
    }
  }
  return found;
}

TEST(ShellActions, FoldersOpenInTheShellAndShowTheirProperties) {
  TShellFixture f;
  f.dir.Folder("folder");
  f.dir.File("file.txt");
  f.Read();
  ViewerPath = kLogger;
  ViewOrEditFile(1, f.Pos("folder"), f.list, false);
  EXPECT_TRUE(CloseExplorerWindows());
  EXPECT_FALSE(WaitForLoggedRun(300).ran) << "a folder is not given to the viewer";
  for (const char* name : {"folder", "file.txt"}) {
    TBoxWatch watch;
    ShowFileProperties(1, f.Pos(name), f.list);
    Application().ProcessMessages();
    for (const TSeenBox& b : watch.Boxes) EXPECT_NE(b.Caption, "error!") << name;
  }
}

// Plays the user in the shell's menu from a timer: one arrow key a tick
// until the item of a text is highlighted, then Enter; or Esc at once.
struct TMenuPlayer {
  static inline const char* choose = nullptr;  // nullptr: Esc
  static inline TPylStringGrid* grid = nullptr;
  static inline bool handlerWhileOpen = false;
  static inline HMENU lastMenu = nullptr;
  static inline bool pending = false;  // a menu is to be answered
  static void Press(HWND menuWindow, WORD key) {
    PostMessageA(menuWindow, WM_KEYDOWN, key, 1);
    PostMessageA(menuWindow, WM_KEYUP, key, 0xC0000001);
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    for (HWND w : ProcessWindowsOfClass("#32768")) {
      if (!pending) return;
      HMENU m = reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0));
      lastMenu = m;
      handlerWhileOpen = grid->ICM != nullptr;
      if (!choose) {
        pending = false;
        Press(w, VK_ESCAPE);
        return;
      }
      for (int i = 0; i < GetMenuItemCount(m); ++i) {
        if (!(GetMenuState(m, UINT(i), MF_BYPOSITION) & MF_HILITE)) continue;
        char text[100] = "";
        GetMenuStringA(m, UINT(i), text, sizeof text, MF_BYPOSITION);
        if (strcmp(text, choose) == 0) {
          pending = false;
          Press(w, VK_RETURN);
          return;
        }
      }
      Press(w, VK_DOWN);
    }
  }
};

std::string ClipboardFile() {
  std::string file;
  if (!OpenClipboard(nullptr)) return file;
  if (HANDLE drop = GetClipboardData(CF_HDROP)) {
    char name[MAX_PATH] = "";
    if (DragQueryFileA(static_cast<HDROP>(drop), 0, name, MAX_PATH)) file = name;
  }
  CloseClipboard();
  return file;
}

void EmptyTheClipboard() {
  OleSetClipboard(nullptr);
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

TEST(ShellActions, ContextMenuOfAFileOverTheGrid) {
  TShellFixture f;
  f.dir.File("file.txt", 5);
  f.Read();
  auto* grid = new TPylStringGrid(&f.form);
  TMenuPlayer::grid = grid;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, TMenuPlayer::Tick);
  std::vector<std::string> verbs;
  const TShellVerbHook hook = [&](const std::string& verb) {
    verbs.push_back(verb);
    return true;
  };
  struct {
    const char* choose;
    bool hooked;
    std::vector<std::string> wantVerbs;
    bool wantOnClipboard;
  } const cases[] = {
      {"&Copy", true, {"copy"}, false},  // the hook carries it out: nothing is invoked
      {"&Copy", false, {}, true},
      {nullptr, true, {}, false},
  };
  for (const auto& c : cases) {
    EmptyTheClipboard();
    verbs.clear();
    TMenuPlayer::choose = c.choose;
    TMenuPlayer::handlerWhileOpen = false;
    TMenuPlayer::pending = true;
    grid->OnShellVerb = c.hooked ? hook : nullptr;  // as the pane passes its grid's
    ShowShellContextMenu(grid->Handle(), grid->ICM, grid->OnShellVerb, 100, 100, 1, f.Pos("file.txt"), f.list);
    EXPECT_TRUE(TMenuPlayer::handlerWhileOpen);
    EXPECT_EQ(grid->ICM, nullptr);
    EXPECT_EQ(verbs, c.wantVerbs);
    EXPECT_EQ(ClipboardFile(), c.wantOnClipboard ? f.dir / "file.txt" : "");
  }
  TMenuPlayer::choose = nullptr;
  for (int i = 0; i < 200; ++i) {
    TMenuPlayer::pending = true;
    ShowShellContextMenu(grid->Handle(), grid->ICM, hook, 100, 100, 1, f.Pos("file.txt"), f.list);
  }
  EXPECT_TRUE(verbs.empty());
  EXPECT_NE(TMenuPlayer::lastMenu, nullptr);
  EXPECT_FALSE(IsMenu(TMenuPlayer::lastMenu)) << "each menu is destroyed";
  KillTimer(nullptr, timer);
  EmptyTheClipboard();
}

}  // namespace
