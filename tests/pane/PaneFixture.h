#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "windows/FormBrowser.h"

// The main window as the pane sees it: every call is recorded.
class TRecordingHost : public IPaneHost {
 public:
  TRecordingHost();
  void UpdateStartAction() override { ++StartActions; }
  void SendToBasket() override { ++SendToBasketCalls; }
  void PaneEntered(TBrowserForm& pane) override { Entered = &pane; }
  void FollowActivePane(TBrowserForm& pane) override { Followed = &pane; }
  void UpdateMainModeButtons(bool brief, bool full, bool jumps) override {
    BriefDown = brief;
    FullDown = full;
    JumpsEnabled = jumps;
  }
  void EvenPaneTops() override {}
  TPopupMenu* DriveMenu() override { return &Menu; }
  HIMAGELIST ImageListBrowser() override { return Images->Handle(); }
  HIMAGELIST UpDownImages() override { return Sorts->Handle(); }

  int StartActions = 0;
  int SendToBasketCalls = 0;
  TBrowserForm* Entered = nullptr;
  TBrowserForm* Followed = nullptr;
  bool BriefDown = false, FullDown = false, JumpsEnabled = false;
  TPopupMenu Menu;
  std::unique_ptr<TImageList> Images;
  std::unique_ptr<TImageList> Sorts;
};

// A top-level form with two panels, each holding a pane; the lists, the
// basket, the drive list and a settings file of the test's own.
class TPaneTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The left pane, loaded from the settings written so far.
  TBrowserForm& MakePane(const std::string& name = "LeftBrowser");
  void WriteSetting(const std::string& section, const std::string& key, const std::string& value);
  // A folder of the test with the given files (names with a backslash make folders).
  void MakeTree(const std::vector<std::string>& names);
  void Pump();
  // A key to the grid as the keyboard would send it, with modifiers held.
  void Key(TBrowserForm& pane, WORD vk, unsigned shift = 0);
  std::string StatusText(TBrowserForm& pane);
  // Name of the entry of the pane's numbering (its position's stored name).
  std::string NameAt(TBrowserForm& pane, int32_t index);
  std::string CurrentName(TBrowserForm& pane) { return NameAt(pane, pane.CurrentIndex); }
  std::string Marked(TBrowserForm& pane);
  // Whether some pixel of the grid row (of the pane's numbering) shows the colour.
  bool RowShows(TBrowserForm& pane, int32_t index, COLORREF colour);
  void ClickHeader(TBrowserForm& pane, int column);
  // An empty basket, its views let go.
  void ResetBasket();
  // Entries of the folder marked in a list of their own and sent to the basket.
  void AddToBasket(const std::string& folder);

  TTempFolder temp;
  TTempFolder settings;
  std::string ini;
  TRecordingHost host;
  std::unique_ptr<TForm> form;
  TPanel* left = nullptr;
  TPanel* right = nullptr;
  std::vector<std::unique_ptr<TBrowserForm>> panes;
};
