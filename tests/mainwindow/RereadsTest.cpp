#include "MainWindowTest.h"

#include <dbt.h>

#include <atomic>
#include <mutex>

#include "core/Drives.h"
#include "core/FileList.h"
#include "core/IconReader.h"
#include "framework/IniFile.h"
#include "support/Screenshot.h"
#include "support/WineDrive.h"
#include "windows/FormBrowser.h"
#include "windows/Settings.h"

namespace {

std::vector<TDriveButton*> DriveButtons(TWinControl* bar) {
  std::vector<TDriveButton*> buttons;
  for (TControl* c : bar->Controls())
    if (auto* b = dynamic_cast<TDriveButton*>(c)) buttons.push_back(b);
  return buttons;
}

// The letter of the one button that is down, or 0.
char DownLetter(TWinControl* bar) {
  char letter = 0;
  for (TDriveButton* b : DriveButtons(bar))
    if (b->Down()) letter = letter ? '?' : static_cast<char>(tolower(b->Caption()[0]));
  return letter;
}

class PanesOnAFolder : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    files_ = dir_ / "files";
    for (int i = 0; i < 30; ++i) dir_.File("files\\f" + std::to_string(i) + ".txt", 10);
    for (const char* section : {"BROWSER_LEFT", "BROWSER_RIGHT"})
      WritePrivateProfileStringA(section, "Directory", files_.c_str(), Ini().c_str());
    WritePrivateProfileStringA("MainForm", "ShowTips", "0", Ini().c_str());
  }
  TBrowserForm& Left() const { return *form_->LeftBrowser; }
  TBrowserForm& Right() const { return *form_->RightBrowser; }
  // Both panes list the file.
  bool Listed(const std::string& name) const {
    return Left().FindFirstByText(name) != 0 && Right().FindFirstByText(name) != 0;
  }
  bool ListedAnywhere(const std::string& name) const {
    return Left().FindFirstByText(name) != 0 || Right().FindFirstByText(name) != 0;
  }
  void DeviceChange() {
    PostMessageA(form_->Handle(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    Pump(50);
  }
  std::string files_;
};

TEST_F(PanesOnAFolder, ActivationsAndDeviceChangesRereadButNothingWhileAListIsHeld) {
  Start();
  Left().sgBrowser->SetFocus();
  HWND main = form_->Handle();
  // As at the start of a run: the first activation only takes note.
  form_->Activated = false;
  SendMessageA(main, WM_ACTIVATEAPP, FALSE, 0);
  dir_.File("files\\first.dat");
  SendMessageA(main, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_FALSE(ListedAnywhere("first.dat"));
  SendMessageA(main, WM_ACTIVATEAPP, FALSE, 0);
  SendMessageA(main, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_TRUE(Listed("first.dat"));

  dir_.File("files\\second.dat");
  DeviceChange();
  EXPECT_TRUE(Listed("second.dat"));

  // A job, a walk over either pane's list, a plug-in: no pane rereads.
  dir_.File("files\\third.dat");
  const std::function<void(bool)> holds[] = {
      [](bool on) { ToolBusy = on; },
      [this](bool on) { Right().FolderList->Busy = on; },
      [this](bool on) { form_->PluginRunning = on; },
  };
  for (const auto& hold : holds) {
    hold(true);
    DeviceChange();
    SendMessageA(main, WM_COMMAND, form_->mnuRereadSource->Command(), 0);
    form_->RefreshPanes();
    hold(false);
    EXPECT_FALSE(ListedAnywhere("third.dat"));
  }
  DeviceChange();
  EXPECT_TRUE(Listed("third.dat"));

  // A results window switched the toolbars off: on again, the mode buttons
  // show the active pane's mode whatever they showed meanwhile.
  EnableMainControls(false);
  EXPECT_FALSE(form_->btnSetModeFull->Enabled());
  EXPECT_FALSE(form_->actFinder->Enabled);
  form_->btnSetModeBrief->SetDown(true);
  EnableMainControls(true);
  EXPECT_TRUE(form_->actFinder->Enabled);
  EXPECT_TRUE(form_->btnSetModeFull->Down());
  EXPECT_FALSE(form_->btnSetModeBrief->Down());
}

// A new letter renumbers the drive list: every bar is built again with the
// button of its pane's drive down, found by the letter. The shared bar
// above both panes follows the active pane and chooses its drives.
TEST_F(PanesOnAFolder, DriveBarsFollowTheDrivesAndTheActivePane) {
  Start();
  TMainForm& f = *form_;
  ASSERT_TRUE(f.pnlTop->Visible());
  Left().sgBrowser->SetFocus();
  Pump(50);
  const char home = Left().DriveLetter;
  const auto expectBars = [&](const char* when) {
    for (TWinControl* bar : {Left().pnlDisks, Right().pnlDisks, f.pnlWithImgDrives})
      EXPECT_EQ(DriveButtons(bar).size(), DriveList.size()) << when;
    EXPECT_EQ(DownLetter(Left().pnlDisks), Left().DriveLetter) << when;
    EXPECT_EQ(DownLetter(Right().pnlDisks), Right().DriveLetter) << when;
    EXPECT_EQ(DownLetter(f.pnlWithImgDrives), Left().DriveLetter) << when;
    EXPECT_EQ(f.pnlInfo->Caption(), Left().pnlInfo->Caption()) << when;
  };
  expectBars("at the start");
  const size_t before = DriveList.size();
  {
    TTestDrive drive('b', DRIVE_REMOVABLE);
    ASSERT_TRUE(drive.Ok());
    DeviceChange();
    ASSERT_EQ(DriveList.size(), before + 1);
    expectBars("with b:");
    // The shared bar's button takes the active pane to that drive.
    DriveButtons(f.pnlWithImgDrives)[size_t(FindDriveIndex('b', DriveList))]->Click();
    Pump(50);
    EXPECT_EQ(Left().DriveLetter, 'b');
    EXPECT_EQ(Right().DriveLetter, home);
    expectBars("on b:");
    EXPECT_TRUE(SaveWindowShot(f.Handle(), ShotPath("mainwindow_drives.bmp")));
    Left().OpenFolder(files_, "");
    drive.Remove();
    DeviceChange();
  }
  ASSERT_EQ(DriveList.size(), before);
  expectBars("without b:");
  // The right pane active: the shared bar shows its drive.
  Right().sgBrowser->SetFocus();
  Pump(50);
  DriveButtons(Right().pnlDisks)[size_t(FindDriveIndex('*', DriveList))]->Click();
  Pump(50);
  EXPECT_EQ(DownLetter(f.pnlWithImgDrives), '*');
}

// Each icon thread is held in its first entry until it is told to stop.
struct TIconStops {
  static inline std::atomic<int> waiting{0};
  static inline std::mutex lock;
  static inline std::string order;
  static inline std::string settings;
  static void Hook(ThreadForReadIcons& t) {
    ++waiting;
    while (!t.Terminated()) Sleep(1);
    char viewer[64] = "";
    GetPrivateProfileStringA("MainForm", "Viewer", "", viewer, sizeof viewer, settings.c_str());
    std::lock_guard<std::mutex> hold(lock);
    order += t.List == &RightPaneList ? "right:" : "left:";
    order += viewer;
    order += " ";
  }
};

TEST_F(PanesOnAFolder, ClosingStopsTheRightIconThreadThenTheLeftBeforeTheSettingsAreWritten) {
  WritePrivateProfileStringA("MainForm", "Viewer", "old.exe", Ini().c_str());
  TIconStops::waiting = 0;
  TIconStops::order.clear();
  TIconStops::settings = Ini();
  ThreadForReadIcons::BeforeEntry = TIconStops::Hook;
  Start();
  EXPECT_TRUE(PumpUntil([] { return TIconStops::waiting == 2; }));
  ViewerPath = "new.exe";
  // Closed as the user closes it (the test runs no message loop to end).
  Application().MainForm = nullptr;
  SendMessageA(form_->Handle(), WM_CLOSE, 0, 0);
  ThreadForReadIcons::BeforeEntry = nullptr;
  // A reread before may have stopped threads of the panes' earlier fillings.
  const std::string last = "right:old.exe left:old.exe ";
  EXPECT_GE(TIconStops::order.size(), last.size());
  EXPECT_EQ(TIconStops::order.substr(TIconStops::order.size() - std::min(last.size(), TIconStops::order.size())), last);
  Stop();
  EXPECT_EQ(TIniFile(Ini()).ReadString("MainForm", "Viewer", ""), "new.exe");
}

}  // namespace
