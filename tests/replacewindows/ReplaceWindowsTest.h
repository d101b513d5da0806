#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StandinTest.h"
#include "support/HeapBlocks.h"
#include "support/MessagePump.h"
#include "support/PaneList.h"
#include "support/TempFolder.h"
#include "windows/FormBatchReplacer.h"
#include "windows/FormReplacer.h"
#include "windows/MainForm.h"
#include "windows/SelectionWalk.h"
#include "windows/Settings.h"
#include "windows/ViReplacer.h"

// A key posted to a window as the loop gets it, with Ctrl, Alt or Shift held.
void PressKey(HWND target, WORD vk, unsigned shift = 0);
// Characters typed into a window one WM_CHAR at a time (a drop-down
// combo's: into its edit).
void TypeText(HWND target, const std::string& text);
// A button or box clicked as a BM_CLICK, its handlers run.
void Click(TWinControl& c);
// Where a screenshot goes.
std::string ShotPath(const std::string& name);
// The open viewer of this thread, or nil.
TViewRenReplacer* OpenViewer();
// The visible message box of this thread, or nil.
HWND OpenMessageBox();
// The texts of a message box's static controls, joined by "|".
std::string BoxText(HWND box);

// The active pane, standing in for the main window's: a real list read
// from a folder, marked by name.
class TTestPane : public ISelectionPane, public ISelectionHost {
 public:
  explicit TTestPane(const std::string& folder);
  ~TTestPane() override;
  TstateOfBrowser& OwnList() override { return pane_->list; }
  TstateOfBrowser& BasketView() override { return view_; }
  int DisplayMode() override { return PaneFull; }
  void MarkCurrent(bool) override {}
  void StopIconThread() override {}
  ISelectionPane* GetActivePane() override { return this; }
  void ShowCheckMessage(const std::string& text) override { Messages.push_back(text); }
  // Reads the folder again, marks the named entries (a name below a
  // folder of the root opens that folder in the tree) and lets the main
  // window re-evaluate its Start command.
  void Mark(const std::vector<std::string>& names);
  bool Marked(const std::string& name);
  std::vector<std::string> Messages;

 private:
  std::string folder_;
  std::unique_ptr<TPaneList> pane_;
  TstateOfBrowser view_{};
};

// What a viewer showed once its job ended.
struct TViewerSeen {
  std::string Caption;
  std::string Status;
  COLORREF StatusColour = 0;
  std::vector<std::vector<std::string>> Rows;  // sgInfo below its header
  std::vector<std::vector<std::string>> Summary;  // sgStatus, header included
};
std::vector<std::vector<std::string>> GridRows(const TStringGrid& grid, int first);

// The stand-in office servers registered, with COM on this thread, for the
// life of the object; FailCalls steers them.
struct TStandin : TStandinTest {
  TStandin();
  ~TStandin() override;
  using TStandinTest::FailCalls;
  void TestBody() override {}
};

// The real main window over a fresh settings file, with a test pane over a
// fresh data folder.
class ReplaceWindows : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void SwitchMode(char digit);
  TReplacerForm& Replacer();
  TBatchReplacerForm& Batch();
  // Clicks a button as a posted BM_CLICK and runs the modal viewer that
  // opens, calling running on each look while its job runs (once a look
  // when given) and finished once its end is told, before it is closed
  // with Esc. False when no viewer came and went.
  bool RunViewer(TButton& start, TViewerSeen& seen,
                 const std::function<void(TViewRenReplacer&)>& finished = {},
                 const std::function<bool(TViewRenReplacer&)>& running = {});
  std::string Ini() const { return settings_ / "kvt.ini"; }

  TTempFolder settings_;
  TTempFolder data_;
  std::unique_ptr<TMainForm> form_;
  std::unique_ptr<TTestPane> pane_;
};
