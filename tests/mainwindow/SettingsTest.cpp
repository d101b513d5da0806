#include "MainWindowTest.h"

#include <map>

#include "core/FileList.h"
#include "core/RingList.h"
#include "framework/IniFile.h"
#include "support/Screenshot.h"
#include "windows/FormBrowser.h"
#include "windows/Settings.h"

namespace {

// Every [MainForm] key away from its default, in the order a pass writes.
void WritePreparedIni(const std::string& file, int options) {
  TIniFile ini(file);
  const std::pair<const char*, std::string> keys[] = {
      {"Top", "120"},         {"Left", "100"},       {"Width", "640"},         {"Height", "480"},
      {"ToolsInRightSide", "0"}, {"CurrentMode", "3"}, {"Status", "1"},        {"Layout", "119"},
      {"Viewer", "view.exe"}, {"Editor", "edit.exe"}, {"MustSwapPanels", "1"}, {"VerticalSplitter", "3333"},
      {"GeneralCheckContainer", std::to_string(options)}, {"ShowTips", "0"},
  };
  for (const auto& [key, value] : keys) ASSERT_TRUE(ini.WriteString("MainForm", key, value));
  TOrv_RingList masks, filters;
  masks.AddText("*.txt");
  masks.AddText("*.doc;*.rtf");
  filters.AddText("*.cpp");
  ASSERT_TRUE(SaveRingList(ini, masks, "MainForm", "MASK_SELECTION"));
  ASSERT_TRUE(SaveRingList(ini, filters, "MainForm", "BROWSER_FILTRES"));
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(ini.WriteInteger("MainForm", "MainColor" + std::to_string(i), i + 5));
  ASSERT_TRUE(ini.WriteString("Browser", "FilesFontName", "Courier New"));
  ASSERT_TRUE(ini.WriteInteger("Browser", "FilesFontSize", 11));
  ASSERT_TRUE(ini.WriteInteger("Browser", "FilesFontStyle", 6));
}

TEST_F(MainWindow, EveryKeyReadsBackAsItWas) {
  WritePreparedIni(Ini(), 0x0F8B | OptSaveSettings);
  std::map<std::string, std::vector<std::string>> before;
  for (const char* section : {"MainForm", "Browser"}) before[section] = SectionLines(Ini(), section);
  Start();
  EXPECT_EQ(CurrentMode, ModeRenamer);
  EXPECT_EQ(ViewerPath, "view.exe");
  EXPECT_EQ(form_->SplitterMain->Ratio(), 3333);
  // The stored colours reach the grids; the font is the stored one.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(MainColors[size_t(i)], MainColorValue(i + 6, i + 1)) << i;
  EXPECT_EQ(form_->LeftBrowser->sgBrowser->Color(), MainColorValue(7, 2));
  EXPECT_EQ(form_->LeftBrowser->sgBrowser->Font().Name, "Courier New");
  Stop();
  for (const char* section : {"MainForm", "Browser"}) {
    const std::vector<std::string> after = SectionLines(Ini(), section);
    ASSERT_EQ(after.size(), before[section].size()) << section;
    for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i], before[section][i]);
  }
}

TEST_F(MainWindow, WithoutSaveOnExitTheFileStaysByteForByte) {
  WritePreparedIni(Ini(), 0x0F8B & ~OptSaveSettings);
  const std::string before = ReadTestFile(Ini());
  Start();
  Stop();
  EXPECT_EQ(ReadTestFile(Ini()), before);
}

// A write that fails in the middle of a pass (a full disk) must not cost the
// settings of the last good pass, nor may a pass that could not keep a copy
// of them, or could not put the copy back.
TEST_F(MainWindow, FailedPassKeepsTheOldFile) {
  const struct {
    int failingWrite, failingBackupStep;
  } cases[] = {{1, 0}, {2, 0}, {9, 0}, {21, 0}, {0, 1}, {5, 1}, {5, 2}};
  for (const auto& c : cases) {
    WritePreparedIni(Ini(), 0x0F8B | OptSaveSettings);
    TIniFile(Ini()).WriteString("MainForm", "Viewer", "old.exe");
    const std::string before = ReadTestFile(Ini());
    Start();
    ViewerPath = "new.exe";
    TIniFile::FailWriteAfter(c.failingWrite);
    FailSettingsBackupStep(c.failingBackupStep);
    Stop();
    TIniFile::FailWriteAfter(0);
    FailSettingsBackupStep(0);
    const std::string what = std::to_string(c.failingWrite) + "/" + std::to_string(c.failingBackupStep);
    if (c.failingBackupStep == 2) {
      // The copy that could not go back stays beside the cut file.
      EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"Attrelle.plgn", "kvt.ini", "kvt.ini.~0"})) << what;
      EXPECT_EQ(ReadTestFile(dir_ / "kvt.ini.~0"), before) << what;
      DeleteFileA((dir_ / "kvt.ini.~0").c_str());
      continue;
    }
    EXPECT_EQ(ReadTestFile(Ini()), before) << what;
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"Attrelle.plgn", "kvt.ini"})) << what;
  }
  // The same pass without a fault does write.
  Start();
  ViewerPath = "new.exe";
  Stop();
  EXPECT_EQ(TIniFile(Ini()).ReadString("MainForm", "Viewer", ""), "new.exe");
}

TEST_F(MainWindow, HostileValuesGiveASaneWindow) {
  struct TCase {
    const char* ini;
    int ratio, mode;
  };
  const TCase cases[] = {
      {"VerticalSplitter=-5\r\nCurrentMode=9", 5000, 1},
      {"VerticalSplitter=20000\r\nCurrentMode=0", 5000, 1},
      {"VerticalSplitter=abc\r\nCurrentMode=-1", 5000, 1},
      {"VerticalSplitter=10000\r\nCurrentMode=5", 10000, 5},
  };
  for (const TCase& c : cases) {
    ASSERT_TRUE(WriteTestFile(Ini(), std::string("[MainForm]\r\n") + c.ini + "\r\n"));
    TMainForm f;
    EXPECT_EQ(f.SplitterMain->Ratio(), c.ratio) << c.ini;
    EXPECT_EQ(RestoredMode, c.mode) << c.ini;
  }
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const struct {
    int left, top, width, height;
    RECT want;
  } bounds[] = {
      {-5000, 10, 600, 400, {340, 312, 940, 712}},   // caption off every screen: centred
      {10, 20, 0, -4, {10, 20, 710, 570}},            // no size: the default one
      {0, 0, 90000, 90000, {0, 0, work.right - work.left, work.bottom - work.top}},
      {1270, 1000, 300, 200, {1270, 1000, 1570, 1200}},  // a corner still shows
  };
  for (const auto& b : bounds) {
    const RECT r = SaneWindowBounds(b.left, b.top, b.width, b.height);
    EXPECT_TRUE(EqualRect(&r, &b.want)) << b.left << ": " << r.left << "," << r.top << "," << r.right << ","
                                        << r.bottom;
  }

  ASSERT_TRUE(WriteTestFile(Ini(),
                            "[MainForm]\r\nVerticalSplitter=abc\r\nLeft=-5000\r\nWidth=0\r\nCurrentMode=9\r\n"
                            "Status=7\r\nShowTips=-3\r\nMainColor3=99\r\nLayout=243\r\n"));
  Start();
  EXPECT_EQ(form_->Width(), 700);
  EXPECT_EQ(CurrentMode, ModeBrowser);
  EXPECT_FALSE(IsIconic(form_->Handle()));
  EXPECT_FALSE(IsZoomed(form_->Handle()));
  EXPECT_TRUE(PumpUntil([this] { return tipsSeen_ == 1 && !FindOwnWindow("The Tip of The Day"); }));
  EXPECT_TRUE(SaveWindowShot(form_->Handle(), ShotPath("mainwindow_hostile.bmp")));
}

}  // namespace
