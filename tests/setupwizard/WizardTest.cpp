#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/JustifiedText.h"
#include "core/ProgramKey.h"
#include "framework/Handles.h"
#include "framework/SystemError.h"
#include "setup/InstallForm.h"
#include "setup/InstalledFiles.h"
#include "support/BoxAnswers.h"
#include "support/BuildFolders.h"
#include "support/Screenshot.h"
#include "support/ShellLinkRead.h"
#include "support/TempFolder.h"
#include "support/TextFit.h"
#include "support/WindowTour.h"
#include "support/WineDrive.h"
#include "support/WindowTour.h"

namespace {

using KvtSetup::TOperations;

using TShown = TBoxAnswers::TShown;

// The bytes of this program's resource FILEn (see test.cmake).
std::string ResourceBytes(int n) {
  const std::string unit = "file " + std::to_string(n) + ";";
  std::string s;
  const size_t size = n == 1 ? 300000 : size_t(n) * 97;
  while (s.size() < size) s += unit;
  s.resize(size);
  return s;
}

// A copy that, while Gate is set, writes nothing until the gate opens (or it
// is asked to stop): the copy is otherwise too fast to catch in the middle.
class TGatedOperations : public TOperations {
 public:
  using TOperations::TOperations;
  HANDLE Gate = nullptr;

 protected:
  bool WriteChunk(HANDLE file, const void* data, DWORD size, DWORD& written) override {
    while (Gate && !Terminated() && WaitForSingleObject(Gate, 10) == WAIT_TIMEOUT) {
    }
    return TOperations::WriteChunk(file, data, size, written);
  }
};

// The wizard with the test in place of what cannot fail or be answered here.
class TTestWizard : public TfrmInstall {
 public:
  std::string ProgramFilesDir;
  std::string BrowseAnswer;
  std::string DeniedFolder;  // refused as to a user without rights
  std::string FailingKey;    // refused as to a user without rights
  std::vector<TRegistryKey> Written;
  HANDLE Gate = nullptr;
  int Copies = 0;
  TOperations* Copy = nullptr;

 protected:
  std::string ReadProgramFilesDir() override { return ProgramFilesDir; }
  std::string BrowseInstallFolder() override { return BrowseAnswer; }
  bool CreateFolder(const std::string& path) override {
    if (path != DeniedFolder) return TfrmInstall::CreateFolder(path);
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  DWORD WriteRegistryKey(const TRegistryKey& key) override {
    Written.push_back(key);
    return key.Path == FailingKey ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
  }
  std::unique_ptr<TOperations> NewOperations(const std::vector<std::string>& fileList) override {
    auto copy = std::make_unique<TThreadOf<TGatedOperations>>(fileList);
    copy->Gate = Gate;
    ++Copies;
    Copy = copy.get();
    return copy;
  }
};

// The all-users desktop and start menu that the wizard's links go to, clear
// before and after each test.
class TSharedLinkPlaces {
 public:
  TSharedLinkPlaces() { Clear(); }
  ~TSharedLinkPlaces() { Clear(); }
  const std::string DesktopLink = TfrmInstall::GetSpecialFolder(25) + "\\Kelvanto.lnk";
  const std::string Group = TfrmInstall::GetSpecialFolder(23) + "\\Kelvanto";

 private:
  void Clear() {
    DeleteFileA(DesktopLink.c_str());
    TTempFolder::RemoveTree(Group);
  }
};

// A wizard that proposes a fresh folder, its copy held until the gate opens.
struct TGatedRun {
  TGatedRun() {
    W.ProgramFilesDir = Dir.Path();
    W.Gate = Gate.Get();
  }
  TSharedLinkPlaces Places;
  TTempFolder Dir;
  THandle Gate{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  TTestWizard W;
  const std::string Folder = Dir / "KVT";
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    Application().ProcessMessages();
  }
  return true;
}

void Click(TWinControl* c) { SendMessageA(c->Handle(), BM_CLICK, 0, 0); }

std::string SystemText(DWORD code) {
  std::string text;
  ShowSystemError(false, code, text, "", "");
  return text;
}

// Shown and brought to the folder page with the language of the given index.
void ToFolderPage(TTestWizard& w, int language = 0) {
  w.Show();
  Click(w.rbAccept);
  Click(w.btnNext);
  w.lstLanguage->SetItemIndex(language);
  Click(w.btnNext);
}

void ExpectPage(const TTestWizard& w, const TTabSheet* page, int step) {
  EXPECT_EQ(w.SetupPages->ActivePage(), page);
  EXPECT_EQ(w.Step, step);
  EXPECT_EQ(w.pb->Parent(), page == w.tsLicense || page == w.tsLanguage ? w.tsFirst : page);
}

// The page as it shows once every paint has been done.
testing::AssertionResult Shot(const TTestWizard& w, const char* name) {
  const DWORD until = GetTickCount() + 300;
  PumpUntil([&] { return GetTickCount() > until; });
  return SaveWindowShot(w.Handle(), TestProgramFolder() + "setupwizard_" + name + ".bmp");
}

// The page's text as the paint box draws it: justified from y = 22, every
// line but the last ending at the right margin within the gaps' rounding.
void ExpectPaintedText(const TTestWizard& w, const std::string& text) {
  struct TWord {
    std::string text;
    int x, y;
  };
  std::vector<TWord> words;
  JustifiedWordHook = [&](const std::string& word, int x, int y) { words.push_back({word, x, y}); };
  w.pb->Invalidate();
  UpdateWindow(w.pb->Parent()->Handle());
  JustifiedWordHook = nullptr;
  ASSERT_FALSE(words.empty());
  EXPECT_EQ(words[0].x, 12);
  EXPECT_EQ(words[0].y, 22);
  std::string drawn;
  const int margin = w.pb->Width() - 16;
  for (size_t i = 0; i < words.size(); ++i) {
    drawn += (i ? " " : "") + words[i].text;
    if (i + 1 == words.size() || words[i + 1].y == words[i].y) continue;
    const int right = words[i].x + ScreenTextExtent(w.pb->Font(), words[i].text).cx;
    EXPECT_LE(right, margin) << words[i].text;
    EXPECT_GE(right, margin - 12) << words[i].text;
  }
  EXPECT_EQ(drawn, text);
}

struct TValue {
  std::string Name;
  DWORD Type;
  std::string Content;
  bool operator==(const TValue&) const = default;
};
std::ostream& operator<<(std::ostream& o, const TValue& v) {
  return o << v.Name << "(" << v.Type << ")=" << v.Content;
}

std::vector<TValue> Values(const TRegistryKey& key) {
  std::vector<TValue> values;
  for (const TRegistryValue& v : key.Values)
    values.push_back({v.Name, v.Type, v.Type == REG_DWORD ? std::to_string(v.Number) : v.Text});
  return values;
}

// The whole road with every box ticked: pages in order, the copy held at its
// start while Next is pressed twice, then let go; the links, the registry
// values and the files; Finish over a program that cannot start.
TEST(Wizard, InstallsWithEveryLinkAndFinishes) {
  TGatedRun run;
  TTestWizard& w = run.W;
  const TSharedLinkPlaces& places = run.Places;
  const std::string& folder = run.Folder;

  w.Show();
  EXPECT_EQ(w.Caption(), "Install");
  const LONG style = GetWindowLongA(w.Handle(), GWL_STYLE);
  EXPECT_TRUE((style & WS_SYSMENU) && (style & WS_MINIMIZEBOX));
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  RECT work{}, r{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(w.Handle(), &r);
  EXPECT_LE(std::abs((r.left - work.left) - (work.right - r.right)), 1);
  EXPECT_LE(std::abs((r.top - work.top) - (work.bottom - r.bottom)), 1);
  EXPECT_EQ(w.lblVersion->Left() + w.lblVersion->Width() + 22, w.Width());
  ExpectPage(w, w.tsLicense, 0);
  EXPECT_EQ(w.reLicense->Text().rfind("KELVANTO LICENSE AGREEMENT", 0), 0u);
  EXPECT_EQ(GetFocus(), w.reLicense->Handle());
  EXPECT_TRUE(w.rbNotAccept->Checked());
  EXPECT_FALSE(IsWindowEnabled(w.btnNext->Handle()));
  // By keyboard: Tab leaves the text, the letters choose, Enter goes on.
  TourKey(VK_TAB);
  EXPECT_EQ(GetFocus(), w.rbAccept->Handle());
  for (WORD letter : {'A', 'D', 'A'}) {
    TourKey(letter, VK_MENU);
    EXPECT_EQ(IsWindowEnabled(w.btnNext->Handle()) != 0, letter == 'A');
  }
  EXPECT_EQ(GetFocus(), w.rbAccept->Handle());
  EXPECT_TRUE(Shot(w, "license"));
  EXPECT_TRUE(TextsFit(w, "kvtSETUP"));
  TourKey(VK_RETURN);
  ExpectPage(w, w.tsLanguage, 0);
  ASSERT_EQ(w.lstLanguage->Items.Count(), 9);
  EXPECT_EQ(w.lstLanguage->Items[0], "English language");
  EXPECT_EQ(w.lstLanguage->Items[8], "Russian language");
  EXPECT_EQ(w.lstLanguage->ItemIndex(), 0);
  EXPECT_EQ(GetFocus(), w.lstLanguage->Handle());
  EXPECT_TRUE(Shot(w, "language"));
  w.lstLanguage->SetItemIndex(1);

  Click(w.btnNext);
  ExpectPage(w, w.tsFirst, 0);
  EXPECT_EQ(w.InstallDirectory, folder);
  EXPECT_EQ(w.lblPath->Caption(), folder);
  EXPECT_EQ(GetFocus(), w.btnNext->Handle());
  ExpectPaintedText(w,
                    "Welcome to the Kelvanto Setup program. This program will install Kelvanto on your computer. "
                    "Click Next to continue or Cancel to quit from Setup program.");
  EXPECT_TRUE(Shot(w, "folder"));

  // Two presses waiting in the queue: the first starts the copy and takes
  // Next away, so the second can reach nothing.
  PostMessageA(w.btnNext->Handle(), BM_CLICK, 0, 0);
  PostMessageA(w.btnNext->Handle(), BM_CLICK, 0, 0);
  Application().ProcessMessages();
  Application().ProcessMessages();
  ExpectPage(w, w.tsSecond, 1);
  EXPECT_FALSE(IsWindowEnabled(w.btnNext->Handle()));
  EXPECT_EQ(w.Copies, 1);
  EXPECT_TRUE(w.Written.empty());
  EXPECT_FALSE(Exists(places.DesktopLink));
  EXPECT_FALSE(Exists(places.Group));
  ExpectPaintedText(w, "Files copy to selected disk.");
  EXPECT_TRUE(Shot(w, "copy"));

  SetEvent(run.Gate.Get());
  ASSERT_TRUE(PumpUntil([&] { return w.Step == 2; }));
  ExpectPage(w, w.tsThird, 2);
  EXPECT_EQ(w.Copies, 1);
  EXPECT_EQ(w.gProgress->Position(), 100);
  EXPECT_EQ(w.btnNext->Caption(), "Finish");
  EXPECT_TRUE(IsWindowEnabled(w.btnNext->Handle()));
  EXPECT_FALSE(IsWindowEnabled(w.btnCancel->Handle()));
  EXPECT_EQ(GetFocus(), w.btnNext->Handle());
  ExpectPaintedText(w,
                    "Setup has finished installing the application on your computer. You may launch the "
                    "application by selecting the icons installed. Click Finish to continue.");
  EXPECT_TRUE(Shot(w, "finish"));
  EXPECT_TRUE(TextsFit(w, "kvtSETUP at its end"));

  const std::vector<std::string> names = BuildFileList();
  for (size_t n = 1; n <= names.size(); ++n)
    EXPECT_TRUE(ReadTestFile(folder + names[n - 1]) == ResourceBytes(int(n))) << names[n - 1];

  TComApartment com;
  const std::vector<TInstallerLink> links = InstallerLinks(places.DesktopLink, places.Group, folder);
  EXPECT_TRUE(LinksReadBack(links, folder));

  ASSERT_EQ(w.Written.size(), 2u);
  EXPECT_EQ(w.Written[0].Path, UninstallRegistryKey);
  EXPECT_EQ(Values(w.Written[0]), (std::vector<TValue>{
                                      {"DisplayName", REG_SZ, "Kelvanto (remove only)"},
                                      {"UninstallString", REG_SZ, "\"" + folder + "\\UninstKVT.exe\""},
                                      {"FolderName", REG_SZ, places.Group},
                                      {"LinkKELVO", REG_SZ, links[1].Link},
                                      {"LinkUninstall", REG_SZ, links[3].Link},
                                      {"LinkHelp", REG_SZ, links[2].Link},
                                      {"LinkDeskTop", REG_SZ, places.DesktopLink},
                                      {"SourceDirectory", REG_SZ, folder},
                                  }));
  EXPECT_EQ(w.Written[1].Path, ProgramRegistryKey);
  EXPECT_EQ(Values(w.Written[1]), (std::vector<TValue>{{"VersionHi", REG_DWORD, "2"},
                                                       {"VersionLo", REG_DWORD, "6"},
                                                       {"LanguageId", REG_SZ, "french.lng"}}));

  // Finish asks nothing; the test's Kelvanto.exe is no program, and the
  // system's reason is told before the wizard goes.
  TBoxAnswers boxes({{"Error", IDOK}});
  Click(w.btnNext);
  EXPECT_FALSE(w.Visible());
  const auto shown = boxes.Finish();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].first, "Error");
  EXPECT_EQ(shown[0].second.rfind(folder + "\\Kelvanto.exe\r\n", 0), 0u) << shown[0].second;
  EXPECT_GT(shown[0].second.size(), folder.size() + 16);
}

// With no box ticked, English, and the uninstall entry refused: no links
// and no link values, the refusal told with the key, the program key still
// written, and Finish simply ends.
TEST(Wizard, BareInstallTellsARefusedKeyAndFinishes) {
  TSharedLinkPlaces places;
  TTempFolder dir;
  TTestWizard w;
  w.ProgramFilesDir = dir.Path() + "\\";
  w.FailingKey = UninstallRegistryKey;
  ToFolderPage(w, 0);
  Click(w.chkDeskTop);
  Click(w.chkCreateFolder);
  TBoxAnswers boxes({{"Error", IDOK}});
  Click(w.btnNext);
  ASSERT_TRUE(PumpUntil([&] { return w.Step == 2; }));
  ExpectPage(w, w.tsThird, 2);
  EXPECT_EQ(boxes.Finish(),
            (std::vector<TShown>{{"Error", std::string(UninstallRegistryKey) + "\r\n" + SystemText(ERROR_ACCESS_DENIED)}}));
  EXPECT_FALSE(Exists(places.DesktopLink));
  EXPECT_FALSE(Exists(places.Group));
  ASSERT_EQ(w.Written.size(), 2u);
  const std::string folder = dir / "KVT";
  EXPECT_EQ(Values(w.Written[0]), (std::vector<TValue>{
                                      {"DisplayName", REG_SZ, "Kelvanto (remove only)"},
                                      {"UninstallString", REG_SZ, "\"" + folder + "\\UninstKVT.exe\""},
                                      {"SourceDirectory", REG_SZ, folder},
                                  }));
  EXPECT_EQ(Values(w.Written[1]).back(), (TValue{"LanguageId", REG_SZ, ""}));

  Click(w.chkLaunch);
  TBoxAnswers none({});
  Click(w.btnNext);
  EXPECT_FALSE(w.Visible());
  EXPECT_TRUE(none.Finish().empty());
}

TEST(Wizard, ProposedFolders) {
  const struct {
    const char* programFiles;
    const char* browsed;  // nullptr: not browsed
    const char* folder;
  } cases[] = {
      {"", nullptr, "C:\\Program Files\\KVT"},
      {"D:\\Apps", nullptr, "D:\\Apps\\KVT"},
      {"D:\\Apps\\", nullptr, "D:\\Apps\\KVT"},
      {"D:\\Apps", "E:\\", "E:\\KVT"},
      {"D:\\Apps", "E:\\Tools\\", "E:\\Tools\\KVT"},
      {"D:\\Apps", "", "D:\\Apps\\KVT"},  // the browser cancelled
  };
  for (const auto& c : cases) {
    TTestWizard w;
    w.ProgramFilesDir = c.programFiles;
    ToFolderPage(w);
    if (c.browsed) {
      w.BrowseAnswer = c.browsed;
      Click(w.btnBrowse);
    }
    EXPECT_EQ(w.InstallDirectory, c.folder) << c.programFiles;
    EXPECT_EQ(w.lblPath->Caption(), c.folder);
  }

  // A folder too long for its room is shortened to fit.
  TTestWizard w;
  w.ProgramFilesDir = "C:\\" + std::string(20, 'a') + "\\" + std::string(200, 'b');
  ToFolderPage(w);
  EXPECT_LE(w.lblPath->Width(), w.btnBrowse->Left() - w.lblPath->Left() - 10);
  EXPECT_NE(w.lblPath->Caption(), w.InstallDirectory);
}

// Each folder that cannot be made, or used, is told before anything is
// copied, and the wizard stays where it is for another try.
TEST(Wizard, FolderThatCannotBeUsedKeepsTheFolderPage) {
  TTempFolder dir;
  dir.File("file\\KVT", 3);
  const std::string denied = "Can't create specified directory " + dir / "denied\\KVT" +
                             "\r\nPlease launch setup program with administrator's rights.";
  // Its install folder and "\\Portuguese.lng.tip" make MAX_PATH characters:
  // one too many.
  const std::string tooLong = dir / std::string(MAX_PATH - 19 - 4 - dir.Path().size() - 1, 'p');
  dir.Folder(tooLong.substr(dir.Path().size() + 1));
  dir.Folder("readonly\\KVT");
  TSmallDisk readOnly(dir / "readonly\\KVT", 64 * 1024, true);
  ASSERT_TRUE(readOnly.Ok());
  const struct {
    std::string programFiles, message;
    bool deny;
  } cases[] = {
      {dir / "missing\\deeper", "Can't create specified directory " + dir / "missing\\deeper\\KVT", false},
      {dir / "file", "Can't create specified directory " + dir / "file\\KVT", false},
      {dir / "denied", denied, true},
      {tooLong,
       "The path of the specified directory is too long: " + tooLong +
           "\\KVT\r\nPlease choose a directory with a shorter path.",
       false},
      {dir / "readonly",
       "Can't write to specified directory " + dir / "readonly\\KVT" + "\r\n" + SystemText(ERROR_ACCESS_DENIED) +
           "\r\nPlease launch setup program with administrator's rights.",
       false},
  };
  for (const auto& c : cases) {
    TTestWizard w;
    w.ProgramFilesDir = c.programFiles;
    if (c.deny) w.DeniedFolder = c.programFiles + "\\KVT";
    ToFolderPage(w);
    {
      TBoxAnswers boxes({{"Error", IDOK}});
      Click(w.btnNext);
      EXPECT_EQ(boxes.Finish(), (std::vector<TShown>{{"Error", c.message}}));
    }
    ExpectPage(w, w.tsFirst, 0);
    EXPECT_TRUE(IsWindowEnabled(w.btnNext->Handle()));
    EXPECT_EQ(w.Copies, 0);
  }
  EXPECT_EQ(ReadTestFile(dir / "file\\KVT"), std::string(3, '\0'));
}

// A copy that runs out of space leaves the disk as it was: nothing of a new
// installation, its folder included, and an earlier one whole.
TEST(Wizard, CopyOutOfSpaceLeavesTheDiskAsItWas) {
  constexpr uint64_t kPage = 4096;
  const struct {
    const char* what;
    bool earlier;
    uint64_t pages;  // of the disk, a file taking at least one
  } cases[] = {
      // The first file (300000 bytes, 74 pages) and three more fit.
      {"a new installation", false, 77},
      // The first file fits not even where the earlier one was.
      {"over an earlier installation", true, 21 + 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TSharedLinkPlaces places;
    TTempFolder dir;
    TSmallDisk disk(dir / "disk", c.pages * kPage);
    ASSERT_TRUE(disk.Ok());
    const std::string folder = dir / "disk\\KVT";
    const std::vector<std::string> names = BuildFileList();
    for (size_t n = 0; c.earlier && n < names.size(); ++n)
      ASSERT_TRUE(WriteTestFile(folder + names[n], "earlier " + names[n]));
    TTestWizard w;
    w.ProgramFilesDir = dir / "disk";
    ToFolderPage(w);
    TBoxAnswers boxes({{"WRITE TO FILE: Error ", IDOK}});
    Click(w.btnNext);
    ASSERT_TRUE(PumpUntil([&] { return !w.Visible(); }));
    EXPECT_EQ(boxes.Finish(), (std::vector<TShown>{{"WRITE TO FILE: Error ", SystemText(ERROR_DISK_FULL)}}));
    EXPECT_TRUE(w.Written.empty());
    EXPECT_FALSE(Exists(places.DesktopLink));
    EXPECT_EQ(Exists(folder), c.earlier);
    if (!c.earlier) continue;
    for (const std::string& name : names) EXPECT_EQ(ReadTestFile(folder + name), "earlier " + name);
    WIN32_FIND_DATAA found;
    EXPECT_FALSE(TFindHandle(FindFirstFileA((folder + "\\*.tmp").c_str(), &found))) << found.cFileName;
  }
}

// Cancel asks before the install is done. When the copy ends under the
// question, No goes on to the links and values and Yes ends with the files
// copied; Yes while it still runs stops it, and its partial file goes.
TEST(Wizard, QuitQuestion) {
  enum TWhen { OnTheLicence, WhileCopying, AfterTheCopy };
  const struct {
    const char* name;
    TWhen when;
    int answer;
  } cases[] = {
      {"No on the licence page", OnTheLicence, IDNO},
      {"Yes on the licence page", OnTheLicence, IDYES},
      {"No after the copy ended", AfterTheCopy, IDNO},
      {"Yes after the copy ended", AfterTheCopy, IDYES},
      {"Yes while copying", WhileCopying, IDYES},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TGatedRun run;
    TTestWizard& w = run.W;
    if (c.when == OnTheLicence) {
      w.Show();
    } else {
      ToFolderPage(w, 2);
      Click(w.btnNext);
      ASSERT_EQ(w.Step, 1);
    }
    TBoxAnswers boxes({{"Confirmation", c.answer, [&] {
                          if (c.when != AfterTheCopy) return;
                          SetEvent(run.Gate.Get());
                          for (int i = 0; i < 1000 && !w.Copy->Finished(); ++i) Sleep(10);
                        }}});
    c.when == OnTheLicence ? TourKey(c.answer == IDYES ? 'C' : VK_ESCAPE, c.answer == IDYES ? VK_MENU : 0) : Click(w.btnCancel);
    EXPECT_EQ(boxes.Finish(), (std::vector<TShown>{{"Confirmation", "Are you sure you want to quit?"}}));
    EXPECT_EQ(w.Visible(), c.answer == IDNO);
    if (c.when == OnTheLicence) {
      EXPECT_EQ(w.SetupPages->ActivePage(), w.tsLicense);
    } else if (c.answer == IDNO) {
      ExpectPage(w, w.tsThird, 2);
      EXPECT_EQ(w.Written.size(), 2u);
      EXPECT_TRUE(Exists(run.Places.DesktopLink));
      EXPECT_EQ(Values(w.Written[1]).back(), (TValue{"LanguageId", REG_SZ, "spanish.lng"}));
    } else {
      EXPECT_TRUE(w.Written.empty());
      EXPECT_FALSE(Exists(run.Places.DesktopLink));
      EXPECT_EQ(w.Copy->Status, c.when == AfterTheCopy ? TOperations::stDone : TOperations::stCancelled);
      EXPECT_EQ(Exists(run.Folder + "\\Kelvanto.exe"), c.when == AfterTheCopy);
      EXPECT_EQ(Exists(run.Folder + "\\Russian.lng.tip"), c.when == AfterTheCopy);
    }
  }
}

// Every page by keys alone, the copy held on its page until the gate opens;
// the licence page's picture with the focus on a page control.
TEST(Wizard, KeyboardTourOfEveryPage) {
  TGatedRun run;
  TTestWizard& w = run.W;
  w.Show();
  const struct {
    const char* page;
    TTourPlan plan;
    std::function<void()> next;
  } rows[] = {
      {"licence",
       {{"Please read the following License Agreement.", "I accept the agreement", "I do not accept the agreement",
         "Cancel"},
        "acd", "", "Cancel"},
       [&] { Click(w.rbAccept), Click(w.btnNext); }},
      {"language", {{"Please select a language for the program", "Next", "Cancel"}, "cn", "Next", "Cancel"},
       [&] { Click(w.btnNext); }},
      {"folder",
       {{"Next", "Cancel", "Browse...", "Put shortcut on the desktop", "Create Group Menu Folder - \"Kelvanto\""},
        "bcn", "Next", "Cancel"},
       [&] { Click(w.btnNext); }},
      {"copy", {{"Cancel"}, "c", "Cancel", "Cancel"},
       [&] {
         SetEvent(run.Gate.Get());
         ASSERT_TRUE(PumpUntil([&] { return w.Step == 2; }));
       }},
      {"finish", {{"Finish", "Launch \"Kelvanto\""}, "", "Finish", ""}, [] {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.page);
    TourWindow(w.Handle(), r.plan);
    if (w.SetupPages->ActivePage() == w.tsLicense)
      EXPECT_TRUE(FocusShot(*w.rbAccept, TestProgramFolder() + "setupwizard_license_keys.bmp"));
    r.next();
  }
  w.Hide();
}

}  // namespace
