#include <gtest/gtest.h>

#include <shlobj.h>
#include <wrl/client.h>

#include <atomic>
#include <string>
#include <thread>

#include "framework/OleAuto.h"
#include "setup/Links.h"
#include "support/TempFolder.h"

using Microsoft::WRL::ComPtr;

namespace {

struct TLinkRead {
  std::string Target;
  std::string Folder;
};

TLinkRead ReadLink(const std::string& path) {
  TLinkRead r;
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(link.GetAddressOf()))) ||
      FAILED(link.As(&file)))
    return r;
  const std::wstring wide(path.begin(), path.end());
  if (FAILED(file->Load(wide.c_str(), STGM_READ))) return r;
  char text[MAX_PATH] = {};
  if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0))) r.Target = text;
  text[0] = 0;
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) r.Folder = text;
  return r;
}

TEST(Links, CreateShellLinkResultCodes) {
  TComApartment com;
  TTempFolder dir;
  dir.File("target.exe", 10);
  const std::string target = dir / "target.exe";

  // A file already at the link path, of any kind, is replaced.
  ASSERT_TRUE(WriteTestFile(dir / "app.lnk", "not a link"));
  EXPECT_EQ(CreateShellLink(dir / "app.lnk", target, dir.Path()), slOk);
  const TLinkRead read = ReadLink(dir / "app.lnk");
  EXPECT_STRCASEEQ(read.Target.c_str(), target.c_str());
  EXPECT_STRCASEEQ(read.Folder.c_str(), dir.Path().c_str());

  ASSERT_TRUE(WriteTestFile(dir / "locked.lnk", "read-only"));
  SetFileAttributesA((dir / "locked.lnk").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(CreateShellLink(dir / "locked.lnk", target, dir.Path()), slCannotReplace);
  EXPECT_EQ(ReadTestFile(dir / "locked.lnk"), "read-only");
  SetFileAttributesA((dir / "locked.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(CreateShellLink(dir / "missing\\app.lnk", target, dir.Path()), slCannotSave);
}

// The error box of a failed link, read and closed from a second thread.
TEST(Links, MakeLinkNamesTheTargetInAnErrorBox) {
  TComApartment com;
  TTempFolder dir;
  std::atomic<bool> stop{false};
  std::string shown;
  std::thread answer([&] {
    for (int i = 0; i < 500 && !stop; ++i, Sleep(10)) {
      HWND box = FindWindowA("#32770", "Error");
      if (!box) continue;
      char text[512] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      shown = text;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return;
    }
  });
  EXPECT_FALSE(MakeLink(nullptr, dir / "missing\\app.lnk", "C:\\KVT\\Kelvanto.exe", dir.Path()));
  stop = true;
  answer.join();
  EXPECT_EQ(shown, "Cannot create link to file\r\nC:\\KVT\\Kelvanto.exe");
  EXPECT_TRUE(MakeLink(nullptr, dir / "app.lnk", dir / "x.exe", dir.Path()));
}

}  // namespace
