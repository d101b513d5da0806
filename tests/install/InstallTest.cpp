#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ProgramKey.h"
#include "framework/Handles.h"
#include "framework/OleAuto.h"
#include "framework/Registry.h"
#include "setup/InstalledFiles.h"
#include "support/BoxAnswers.h"
#include "support/BuildFolders.h"
#include "support/MessagePump.h"
#include "support/ShellLinkRead.h"
#include "support/TempFolder.h"

namespace {

const std::string kFolder = "C:\\Program Files\\KVT";

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Another process answers: a long deadline.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000) { return PumpUntil(done, timeoutMs); }

std::string TextOf(HWND w) {
  char text[1024] = "";
  SendMessageA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The first visible top-level window of the class and caption, of the
// process (0: any).
HWND TopWindow(const char* cls, const std::string& caption, DWORD pid = 0) {
  struct TFind {
    const char* cls;
    const std::string& caption;
    DWORD pid;
    HWND found;
  } find{cls, caption, pid, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) {
        auto* f = reinterpret_cast<TFind*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        char name[32] = "";
        GetClassNameA(w, name, sizeof name);
        if ((f->pid && owner != f->pid) || lstrcmpA(name, f->cls) != 0 || !IsWindowVisible(w) ||
            TextOf(w) != f->caption)
          return TRUE;
        f->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

// The child window below top of the class (nullptr: any) and the text
// (nullptr: any); by default only one a user sees.
HWND Child(HWND top, const char* cls, const char* text, bool visible = true) {
  struct TFind {
    const char *cls, *text;
    bool visible;
    HWND found;
  } find{cls, text, visible, nullptr};
  EnumChildWindows(
      top,
      [](HWND w, LPARAM p) {
        auto* f = reinterpret_cast<TFind*>(p);
        char name[64] = "";
        GetClassNameA(w, name, sizeof name);
        if ((f->visible && !IsWindowVisible(w)) || (f->cls && lstrcmpiA(name, f->cls) != 0) ||
            (f->text && TextOf(w) != f->text))
          return TRUE;
        f->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

// Waits for the child to show and presses it.
void Press(HWND top, const char* text) {
  HWND button = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (button = Child(top, nullptr, text)) && IsWindowEnabled(button); })) << text;
  SendMessageA(button, BM_CLICK, 0, 0);
}

// The text of the id's line in a language file, in the file's own bytes.
std::string LanguageLine(const std::string& file, int id) {
  const std::string bytes = "\r\n" + ReadTestFile(file);
  const std::string start = "\r\n" + std::to_string(id) + "=";
  const size_t at = bytes.find(start);
  if (at == std::string::npos) return {};
  const size_t from = at + start.size();
  return bytes.substr(from, bytes.find("\r\n", from) - from);
}

bool KeyExists(const char* key) { return TRegistry(HKEY_LOCAL_MACHINE).KeyExists(key); }

// Nothing of an installation before and after the test.
class TCleanMachine {
 public:
  TCleanMachine() { Clean(); }
  ~TCleanMachine() { Clean(); }
  const std::string DesktopLink = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Kelvanto.lnk";
  const std::string Group = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Kelvanto";

 private:
  void Clean() {
    TTempFolder::RemoveTree(kFolder);
    TTempFolder::RemoveTree(Group);
    DeleteFileA(DesktopLink.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, UninstallRegistryKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Tarnwick");
  }
};

struct TProcess {
  THandle Handle;
  DWORD Id = 0;
};

TProcess Start(const std::string& program, const std::string& folder) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + program + "\"";
  TProcess p;
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
    return p;
  CloseHandle(pi.hThread);
  p.Handle.Reset(pi.hProcess);
  p.Id = pi.dwProcessId;
  return p;
}

// kvtSETUP as a user runs it: French, every link, no launch; then Kelvanto
// from its link, and the uninstaller.
TEST(Install, InstallsInFrenchStartsFromTheLinkAndUninstalls) {
  TCleanMachine machine;
  TComApartment com;
  const std::string build = BuildFolder();

  TProcess setup = Start(build + "setup\\kvtSETUP.exe", build + "setup");
  ASSERT_TRUE(setup.Handle.Get());
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (wizard = TopWindow("TKvtWindow", "Install", setup.Id)) != nullptr; }));
  Press(wizard, "I &accept the agreement");
  Press(wizard, "&Next");
  HWND list = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (list = Child(wizard, "ListBox", nullptr)) != nullptr; }));
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 9; }));
  PostMessageA(list, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(list, WM_KEYUP, VK_DOWN, 0xC0000001);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == 1; }));
  Press(wizard, "&Next");
  ASSERT_TRUE(WaitUntil([&] { return Child(wizard, nullptr, "&Browse...") != nullptr; }));
  Press(wizard, "&Next");
  HWND finish = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (finish = Child(wizard, nullptr, "Finish")) && IsWindowEnabled(finish); }, 60000));
  Press(wizard, "Launch \"Kelvanto\"");
  SendMessageA(finish, BM_CLICK, 0, 0);
  ASSERT_EQ(WaitForSingleObject(setup.Handle.Get(), 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(setup.Handle.Get(), &code);
  EXPECT_EQ(code, 0u);
  // Without the launch, the group folder opens in the shell's window.
  HWND shell = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (shell = TopWindow("ExplorerWClass", "Kelvanto")) != nullptr; }));
  if (shell) {
    PostMessageA(shell, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(shell); }));
  }

  for (const std::string& name : BuildFileList())
    EXPECT_TRUE(ReadTestFile(kFolder + name) == ReadTestFile(build + "program" + name)) << name;

  const std::vector<TInstallerLink> links = InstallerLinks(machine.DesktopLink, machine.Group, kFolder);
  EXPECT_TRUE(LinksReadBack(links, kFolder));

  const struct {
    const char* name;
    std::string text;
  } texts[] = {
      {"DisplayName", "Kelvanto (remove only)"},
      {"UninstallString", "\"" + kFolder + "\\UninstKVT.exe\""},
      {"FolderName", machine.Group},
      {"LinkKELVO", links[1].Link},
      {"LinkUninstall", links[3].Link},
      {"LinkHelp", links[2].Link},
      {"LinkDeskTop", links[0].Link},
      {"SourceDirectory", kFolder},
  };
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
  ASSERT_TRUE(reg.OpenKeyReadOnly(UninstallRegistryKey));
  for (const auto& t : texts) EXPECT_EQ(reg.ReadString(t.name), t.text) << t.name;
  ASSERT_TRUE(reg.OpenKeyReadOnly(ProgramRegistryKey));
  EXPECT_EQ(reg.ReadInteger("VersionHi"), 2u);
  EXPECT_EQ(reg.ReadInteger("VersionLo"), 6u);
  EXPECT_EQ(reg.ReadString("LanguageId"), "french.lng");
  reg.CloseKey();

  // Kelvanto from its link runs in the install folder and writes its
  // settings there.
  SHELLEXECUTEINFOA run{};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_FLAG_NO_UI;
  run.lpVerb = "open";
  const std::string startLink = links[1].Link;
  run.lpFile = startLink.c_str();
  run.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExA(&run));
  // The shell gives no process for a link: the window tells it.
  HWND main = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (main = TopWindow("TKvtWindow", "Kelvanto")) != nullptr; }));
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  THandle kelvanto(OpenProcess(SYNCHRONIZE, FALSE, pid));
  // It speaks French: the edit button (shown or not) says what french.lng
  // says, byte for byte.
  const std::string edit = LanguageLine(build + "program\\french.lng", 415);
  ASSERT_EQ(edit.rfind("F4 \xC9", 0), 0u) << edit;
  EXPECT_TRUE(WaitUntil([&] { return Child(main, "Button", edit.c_str(), false) != nullptr; })) << edit;
  EXPECT_TRUE(Exists(kFolder + "\\kvt.ini"));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(kelvanto.Get(), 20000), WAIT_OBJECT_0);

  // The uninstaller, answered Yes, leaves only what Kelvanto wrote.
  TBoxAnswers boxes({{"Uninstall Kelvanto", IDYES}}, 0);
  TProcess uninstall = Start(kFolder + "\\UninstKVT.exe", kFolder);
  ASSERT_TRUE(uninstall.Handle.Get());
  EXPECT_TRUE(WaitUntil([&] { return !KeyExists(UninstallRegistryKey) && !Exists(kFolder + "\\UninstKVT.exe"); }));
  EXPECT_EQ(boxes.Finish(), (std::vector<TBoxAnswers::TShown>{
                                {"Uninstall Kelvanto", "Do you want to remove Kelvanto from your computer?"}}));
  for (const std::string& name : BuildFileList()) EXPECT_FALSE(Exists(kFolder + name)) << name;
  EXPECT_TRUE(Exists(kFolder + "\\kvt.ini"));
  for (const auto& l : links) EXPECT_FALSE(Exists(l.Link)) << l.Link;
  EXPECT_FALSE(Exists(machine.Group));
  EXPECT_FALSE(KeyExists(ProgramRegistryKey));
  EXPECT_FALSE(KeyExists("Software\\Tarnwick"));
}

}  // namespace
