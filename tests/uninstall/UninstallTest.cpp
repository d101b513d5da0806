#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/ProgramKey.h"
#include "framework/Handles.h"
#include "framework/Registry.h"
#include "setup/InstalledFiles.h"
#include "setup/Uninstall.h"
#include "support/BoxAnswers.h"
#include "support/BuildFolders.h"
#include "support/MessagePump.h"
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

// The real program, started from the install folder as its link starts it.
THandle StartUninstaller(const std::string& install) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + install + UninstallerFileName + "\"";
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, install.c_str(), &si, &pi))
    return THandle();
  CloseHandle(pi.hThread);
  return THandle(pi.hProcess);
}

const char* const kCaption = "Uninstall Kelvanto";
const char* const kQuestion = "Do you want to remove Kelvanto from your computer?";

// Asked and answered Yes while another process holds the program's file, it
// removes nothing and says why; once the file is free, it removes everything,
// its own file too, from a copy of itself.
TEST_F(Uninstall, TheProgramRemovesNothingWhileAFileIsInUseAndAllOnceItIsFree) {
  ASSERT_TRUE(CopyFileA((BuildFolder() + "program" + UninstallerFileName).c_str(), (install + UninstallerFileName).c_str(), FALSE));
  root.File("KVT\\kvt.ini", 10);
  // A read-only file is removed as well, and kept read-only while it stays.
  SetFileAttributesA((install + HelpFileName).c_str(), FILE_ATTRIBUTE_READONLY);
  THandle held(CreateFileA((install + ProgramFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  {
    TBoxAnswers boxes({{kCaption, IDYES}, {kCaption, IDOK}}, 0);
    THandle process = StartUninstaller(install);
    ASSERT_TRUE(process);
    EXPECT_TRUE(PumpUntil([&] { return boxes.AllAnswered(); }, 20000));
    EXPECT_EQ(boxes.Finish(),
              (std::vector<TBoxAnswers::TShown>{
                  {kCaption, kQuestion},
                  {kCaption, "Nothing was removed. These files are in use or cannot be removed:\r\n" + install +
                                 ProgramFileName + "\r\n\r\nClose Kelvanto and run the uninstaller again."}}));
  }
  for (const std::string& name : BuildFileList()) EXPECT_TRUE(Exists(install + name)) << name;
  EXPECT_TRUE(GetFileAttributesA((install + HelpFileName).c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(Exists(group + "\\Start Kelvanto.lnk"));
  EXPECT_TRUE(Exists(root / "Desktop\\Kelvanto.lnk"));
  EXPECT_TRUE(KeyExists(UninstallRegistryKey));
  EXPECT_TRUE(KeyExists(ProgramRegistryKey));

  held.Reset();
  TBoxAnswers boxes({{kCaption, IDYES}}, 0);
  THandle process = StartUninstaller(install);
  ASSERT_TRUE(process);
  // The copy works on after the first program ended; the vendor key goes last.
  EXPECT_TRUE(PumpUntil([&] { return !KeyExists("Software\\Tarnwick"); }, 20000));
  EXPECT_EQ(boxes.Finish(), (std::vector<TBoxAnswers::TShown>{{kCaption, kQuestion}}));
  ExpectNothingLeftButTheSettings();
  // The copies cannot delete themselves either: they are left to the next restart.
  const std::vector<std::string> pending = PendingDeletions();
  EXPECT_GE(pending.size(), 2u);
  for (const std::string& copy : pending) DeleteFileA(copy.c_str());
}

}  // namespace
