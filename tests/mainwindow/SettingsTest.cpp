#include "MainWindowTest.h"

#include <map>

#include "core/FileList.h"
#include "core/RingList.h"
#include "core/ToolRegistry.h"
#include "framework/FileIO.h"
#include "framework/Handles.h"
#include "framework/IniFile.h"
#include "support/Screenshot.h"
#include "windows/FormBrowser.h"
#include "windows/FormFinder.h"
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

// The exit's pass meets the faults a full disk or another program gives it:
// the file keeps the settings of the last good pass, with nothing beside it.
TEST_F(MainWindow, FailedPassKeepsTheOldFile) {
  const TWriteFault faults[] = {TWriteFault::DiskFull, TWriteFault::CutButReported, TWriteFault::None};
  for (TWriteFault fault : faults) {
    WritePreparedIni(Ini(), 0x0F8B | OptSaveSettings);
    TIniFile(Ini()).WriteString("MainForm", "Viewer", "old.exe");
    const std::string before = ReadTestFile(Ini());
    Start();
    ViewerPath = "new.exe";
    InjectWriteFault(fault);
    {
      // Without a fault, the file is held open by another program that lets
      // it be read but not replaced.
      THandle held(fault == TWriteFault::None ? CreateFileA(Ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                            OPEN_EXISTING, 0, nullptr)
                                              : INVALID_HANDLE_VALUE);
      Stop();
    }
    EXPECT_EQ(ReadTestFile(Ini()), before) << int(fault);
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"Attrelle.plgn", "kvt.ini"})) << int(fault);
  }
  Start();
  ViewerPath = "new.exe";
  Stop();
  EXPECT_EQ(TIniFile(Ini()).ReadString("MainForm", "Viewer", ""), "new.exe");
}

// Texts too long for the file (one loaded, one typed) are left out of the
// finder's history at exit; its other texts and every other key stay.
TEST_F(MainWindow, OverLongTextsAreLeftOutOfTheSavedHistory) {
  WritePreparedIni(Ini(), 0x0F8B | OptSaveSettings);
  TIniFile(Ini()).WriteString("Plugin", "Own", "kept");
  // The ring of "a" 36,000 times and "short", the newest in slot 2.
  std::string ring;
  for (int i = 0; i < 36000; ++i) ring += "61";
  ring += "0D0A73686F72740D0A320D0A";
  ASSERT_TRUE(WriteTestFile(Ini(), ReadTestFile(Ini()) + "[Finder]\r\nFIND_TEXT=" + ring + "\r\n"));
  std::map<std::string, std::vector<std::string>> before;
  for (const char* section : {"MainForm", "Browser", "Plugin"}) before[section] = SectionLines(Ini(), section);
  Start();
  static_cast<TFinderForm*>(GetToolForm(ModeFinder))->cmbTextToFind->SetText(std::string(17000, 'b'));
  Stop();
  for (const char* section : {"MainForm", "Browser", "Plugin"}) EXPECT_EQ(SectionLines(Ini(), section), before[section]);
  TOrv_RingList texts;
  LoadRingList(TIniFile(Ini()), texts, "Finder", "FIND_TEXT");
  EXPECT_EQ(std::vector<std::string>(texts.List().begin(), texts.List().end()), std::vector<std::string>{"short"});
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
