#include <gtest/gtest.h>

#include "MainWindowTest.h"
#include "core/ToolRegistry.h"
#include "support/Screenshot.h"
#include "support/WindowTour.h"
#include "windows/DidYouKnow.h"
#include "windows/FormFinder.h"
#include "windows/Settings.h"

namespace {

TEST(KeyboardTour, TipAndAbout) {
  ShowTips = 0;
  {
    SCOPED_TRACE("tip");
    TDidYouKnow tips;
    TourModal(tips, {{"Close", "Show this dialog box next time", "Previous tip", "Next tip"}, "cnp", "Close",
                     "mrCancel"});
  }
  SCOPED_TRACE("about");
  TfrmAbout about;
  TourModal(about, {{"OK"}, "", "OK", "mrCancel"});
}

// The main window from a pane, then each tool docked beside the pane, the
// finder on each of its pages: from the tool's first control, the stops
// outside the tool seen as "...".
TEST_F(MainWindow, KeyboardTourOfTheMainWindowAndItsTools) {
  ASSERT_TRUE(WriteTestFile(Ini(), "[MainForm]\r\nLayout=247\r\nShowTips=0\r\n"));
  Start();
  TMainForm& f = *form_;
  {
    SCOPED_TRACE("main window");
    TourWindow(f.Handle(), {{"TPylStringGrid", "TPylStringGrid", "F3 View", "F4 Edit", "F5 Copy", "F6 RenMov",
                             "F7 MkDir", "F8 Delete", "Exit"},
                            "", "", ""});
  }
  const struct {
    WORD key;
    int page;  // of the finder
    TTourPlan plan;
  } rows[] = {
      {'2', 0, {{"Search for:", "Add", "Help", "...", "TPageControl"}, "do", "", ""}},
      {'2', 1,
       {{"TPageControl", "Duplicates", "Date between:", "Not older than:", "File size:", "Archive", "Read only",
         "Hidden", "Directory", "System", "Help", "..."},
        "bnz", "", ""}},
      {'2', 2, {{"TPageControl", "Find text:", "Help", "..."}, "x", "", ""}},
      {'3', -1,
       {{"Rename mask: file name", "[N] Name", "[N #-#] Range", "[C] Counter", "[YMD] Date", "[hms] Time",
         "Extension", "[E] Ext", "[E #-#] Range", "[C] Counter", "Search for:", "Replace with:", "Case sensitive",
         "Start at:", "Step by:", "Digits:", "Help", "..."},
        "aderx", "", ""}},
      {'4', -1,
       {{"Find text below", "Replace / Insert text below", "Replace with", "Insert before", "Insert after",
         "Insert between", "Delete", "Insert to head file", "Insert to foot file", "Just Find", "Case sensitive",
         "Whole Word", "ASCII charset (DOS)", "Create files backup copy", "Help", "..."},
        "acdeprx", "", ""}},
      // An empty table: its grid and the buttons that need rows are disabled.
      {'5', -1,
       {{"Find this string:", "and Replace with:", "Case sensitive", "Add", "Load from File",
         "Create files backup copy", "Help", "..."},
        "defhlry", "", ""}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string("Ctrl+") + char(r.key) + " page " + std::to_string(r.page));
    PressKey(GetFocus() ? GetFocus() : f.Handle(), r.key, true);
    Pump(100);
    TForm* tool = GetToolForm(r.key - '0');
    ASSERT_TRUE(tool && tool->Visible());
    TWinControl* start = tool->ActiveControl;
    if (r.page >= 0) {
      auto* finder = dynamic_cast<TFinderForm*>(tool);
      finder->pcFinder->SetActivePageIndex(r.page);
      if (r.page > 0) start = finder->pcFinder;
    }
    ASSERT_TRUE(start && start->CanFocus());
    start->SetFocus();
    TourWindow(tool->Handle(), r.plan);
  }
}

}  // namespace
