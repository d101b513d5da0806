#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/ProgramKey.h"
#include "framework/Handles.h"
#include "framework/Registry.h"
#include "setup/InstalledFiles.h"
#include "setup/Uninstall.h"
#include "support/BuildFolders.h"
#include "support/TempFolder.h"

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool KeyExists(const std::string& path) { return TRegistry(HKEY_LOCAL_MACHINE).KeyExists(path); }

// An installation as the wizard leaves it: the installed files, a kvt.ini that
// Kelvanto wrote, the group folder with its links, the desktop link and both
// keys. Everything lies below one temporary folder.
class Uninstall : public testing::Test {
 protected:
  void SetUp() override {
    CleanKeys();
    install = root / "KVT";
    group = root / "Kelvanto";
    for (const std::string& name : BuildFileList()) root.File("KVT" + name, 10);
    for (const char* link : {"Start Kelvanto.lnk", "KVT help.lnk", "Uninstall Kelvanto.lnk"})
      root.File(std::string("Kelvanto\\") + link, 10);
    root.File("Desktop\\Kelvanto.lnk", 10);
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(UninstallRegistryKey, true));
    reg.WriteString("DisplayName", "Kelvanto (remove only)");
    reg.WriteString("UninstallString", "\"" + install + UninstallerFileName + "\"");
    reg.WriteString("SourceDirectory", install);
    reg.WriteString("FolderName", group);
    reg.WriteString("LinkKELVO", group + "\\Start Kelvanto.lnk");
    reg.WriteString("LinkHelp", group + "\\KVT help.lnk");
    reg.WriteString("LinkUninstall", group + "\\Uninstall Kelvanto.lnk");
    reg.WriteString("LinkDeskTop", root / "Desktop\\Kelvanto.lnk");
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey(ProgramRegistryKey, true));
    reg.WriteString("LanguageId", "french.lng");
  }
  void TearDown() override { CleanKeys(); }
  static void CleanKeys() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, UninstallRegistryKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Tarnwick");
  }
  void ExpectNothingLeftButTheSettings() {
    for (const std::string& name : BuildFileList()) EXPECT_FALSE(Exists(install + name)) << name;
    EXPECT_TRUE(Exists(install + "\\kvt.ini"));
    EXPECT_FALSE(Exists(group));
    EXPECT_FALSE(Exists(root / "Desktop\\Kelvanto.lnk"));
    EXPECT_FALSE(KeyExists(UninstallRegistryKey));
    EXPECT_FALSE(KeyExists("Software\\Tarnwick"));
  }

  TTempFolder root;
  std::string install;
  std::string group;
};

TEST_F(Uninstall, RemovesWhatWasInstalledAndKeepsWhatTheUserMade) {
  root.File("KVT\\kvt.ini", 10);
  // A value naming anything but a link file is left alone.
  root.File("Desktop\\notes.txt", 10);
  TRegistry reg(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey(UninstallRegistryKey, false));
  reg.WriteString("LinkDeskTop", root / "Desktop\\notes.txt");
  reg.CloseKey();
  std::vector<std::string> left = RemoveInstallation(ReadInstallRecord());
  EXPECT_TRUE(left.empty());
  EXPECT_TRUE(Exists(root / "Desktop\\notes.txt"));
  EXPECT_TRUE(Exists(root / "Desktop\\Kelvanto.lnk"));
  for (const std::string& name : BuildFileList()) EXPECT_FALSE(Exists(install + name)) << name;
  EXPECT_TRUE(Exists(install + "\\kvt.ini"));
  EXPECT_FALSE(Exists(group));
  EXPECT_FALSE(KeyExists(UninstallRegistryKey));
  EXPECT_FALSE(KeyExists("Software\\Tarnwick"));

  // Without the settings file the install folder goes too; a vendor key that
  // still holds another program's key stays.
  root.Remove("KVT\\kvt.ini");
  SetUp();
  ASSERT_TRUE(reg.OpenKey("Software\\Tarnwick\\Other", true));
  reg.CloseKey();
  EXPECT_TRUE(RemoveInstallation(ReadInstallRecord()).empty());
  EXPECT_FALSE(Exists(install));
  EXPECT_FALSE(KeyExists(ProgramRegistryKey));
  EXPECT_FALSE(KeyExists("Software\\Tarnwick\\Kelvo"));
  EXPECT_TRUE(KeyExists("Software\\Tarnwick\\Other"));
}

TEST_F(Uninstall, AFileInUseKeepsTheUninstallerLinksAndKeysForAnotherRun) {
  THandle running(CreateFileA((install + ProgramFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(running);
  EXPECT_EQ(RemoveInstallation(ReadInstallRecord()),
            std::vector<std::string>{install + ProgramFileName});
  EXPECT_TRUE(Exists(install + UninstallerFileName));
  EXPECT_TRUE(Exists(group + "\\Start Kelvanto.lnk"));
  EXPECT_TRUE(KeyExists(UninstallRegistryKey));
  EXPECT_TRUE(KeyExists(ProgramRegistryKey));
  running.Reset();
  EXPECT_TRUE(RemoveInstallation(ReadInstallRecord()).empty());
  EXPECT_FALSE(Exists(install));
}

TEST_F(Uninstall, AnEmptyOrRelativeFolderNeverPointsAtTheCurrentFolder) {
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  SetCurrentDirectoryA(install.c_str());
  for (const char* folder : {"", "KVT", "."}) {
    TInstallRecord record;
    record.SourceDirectory = folder;
    RemoveInstallation(record);
    EXPECT_TRUE(Exists(install + ProgramFileName)) << '"' << folder << '"';
  }
  SetCurrentDirectoryA(current);
}

// Files of ours that the system is to delete at the next restart.
std::vector<std::string> PendingDeletions() {
  std::vector<std::string> files;
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
  if (!reg.OpenKeyReadOnly("System\\CurrentControlSet\\Control\\Session Manager")) return files;
  DWORD type = 0, size = 0;
  const char* name = "PendingFileRenameOperations";
  if (RegQueryValueExA(reg.CurrentKey(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return files;
  std::string data(size, '\0');
  RegQueryValueExA(reg.CurrentKey(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                   &size);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  // Pairs of source and (empty) target, each source as "\\??\\" + path.
  for (size_t at = 0; at < data.size();) {
    const std::string entry = data.c_str() + at;
    at += entry.size() + 1;
    const size_t start = entry.find(temp);
    if (start != std::string::npos && entry.size() > 8 &&
        entry.compare(entry.size() - 8, 8, ".tmp.exe") == 0 && Exists(entry.substr(start)))
      files.push_back(entry.substr(start));
  }
  return files;
}

// Waits up to ten seconds for a window of the class and caption.
HWND WaitForWindow(const char* className, const char* caption) {
  for (int i = 0; i < 200; ++i, Sleep(50))
    if (HWND w = FindWindowA(className, caption)) return w;
  return nullptr;
}

// The real program, started from the install folder as its link starts it:
// asked and answered Yes, it must remove its own file too.
TEST_F(Uninstall, TheProgramAsksThenRemovesEverythingFromACopyOfItself) {
  ASSERT_TRUE(CopyFileA((BuildFolder() + "program" + UninstallerFileName).c_str(), (install + UninstallerFileName).c_str(), FALSE));
  root.File("KVT\\kvt.ini", 10);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + install + UninstallerFileName + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             install.c_str(), &si, &pi));
  THandle process(pi.hProcess), thread(pi.hThread);
  HWND box = WaitForWindow("#32770", "Uninstall Kelvanto");
  ASSERT_TRUE(box);
  // Nothing goes before the answer.
  EXPECT_TRUE(Exists(install + ProgramFileName));
  SendMessageA(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
  ASSERT_EQ(WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
  // The copy works on after the first program ended; the vendor key goes last.
  for (int i = 0; i < 200 && KeyExists("Software\\Tarnwick"); ++i) Sleep(50);
  ExpectNothingLeftButTheSettings();
  // The copy cannot delete itself either: it is left to the next restart.
  const std::vector<std::string> pending = PendingDeletions();
  ASSERT_FALSE(pending.empty());
  for (const std::string& copy : pending) DeleteFileA(copy.c_str());
}

}  // namespace
