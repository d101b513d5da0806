#include "MainWindowTest.h"

#include "core/ToolRegistry.h"
#include "framework/IniFile.h"
#include "framework/Registry.h"
#include "support/Screenshot.h"
#include "windows/Settings.h"
#include "windows/Startup.h"

namespace {

TEST_F(MainWindow, FreshStartWritesEveryKeyInOrder) {
  form_ = std::make_unique<TMainForm>();
  // The bounds as asked; the window manager may move the window later.
  EXPECT_EQ(form_->Left(), 290);
  EXPECT_EQ(form_->Top(), 237);
  EXPECT_EQ(form_->Width(), 700);
  EXPECT_EQ(form_->Height(), 550);
  form_.reset();
  Start();
  EXPECT_EQ(CurrentMode, ModeBrowser);
  EXPECT_TRUE(PumpUntil([this] { return tipsSeen_ == 1 && !FindOwnWindow("The Tip of The Day"); }));
  EXPECT_TRUE(SaveWindowShot(form_->Handle(), ShotPath("mainwindow_mode1.bmp")));
  Stop();
  const std::vector<std::string> want = {
      "ToolsInRightSide=1", "CurrentMode=1", "Status=1", "Layout=241", "Viewer=notepad.exe",
      "Editor=notepad.exe", "MustSwapPanels=0", "VerticalSplitter=5000", "GeneralCheckContainer=31357",
      "ShowTips=2"};
  std::vector<std::string> lines = SectionLines(Ini(), "MainForm");
  ASSERT_GE(lines.size(), 4 + want.size() + 2 + 5);
  EXPECT_EQ(lines[0].substr(0, 4), "Top=");
  EXPECT_EQ(lines[1].substr(0, 5), "Left=");
  EXPECT_EQ(lines[2], "Width=700");
  EXPECT_EQ(lines[3], "Height=550");
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(lines[4 + i], want[i]);
  EXPECT_EQ(lines[14].substr(0, 15), "MASK_SELECTION=");
  EXPECT_EQ(lines[15].substr(0, 16), "BROWSER_FILTRES=");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(lines[16 + i], "MainColor" + std::to_string(i + 1) + "=0");
  EXPECT_EQ(SectionLines(Ini(), "Browser"),
            (std::vector<std::string>{"FilesFontName=MS Sans Serif", "FilesFontSize=8", "FilesFontStyle=1"}));
  for (const char* section : {"BROWSER_LEFT", "BROWSER_RIGHT"}) {
    std::vector<std::string> keys;
    for (const std::string& line : SectionLines(Ini(), section)) keys.push_back(line.substr(0, line.find('=')));
    EXPECT_EQ(keys, (std::vector<std::string>{"KindOfSort", "BrowserMode", "OldBrowserMode", "BasketMode",
                                              "ColumnsWidth", "MaskFiles", "Directory"}))
        << section;
  }
  EXPECT_EQ(ReadProgramSetting("LanguageId"), "");
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
  ASSERT_TRUE(reg.OpenKeyReadOnly(ProgramRegistryKey));
  EXPECT_TRUE(reg.ValueExists("LanguageId"));
}

}  // namespace
