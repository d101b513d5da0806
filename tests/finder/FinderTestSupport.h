#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "windows/Finder.h"

// 8-bit text of the system's page as UTF-16LE bytes.
std::string Utf16(const std::string& text);

// Plays the results window for the search thread, recording each call with
// the thread it ran on.
class TRecordingWindow : public IFinderWindow {
 public:
  struct TCall {
    char Kind;  // 'S' status, 'R' rows
    std::string Text;
    int32_t Rows = 0;
    int32_t GridRows = 0;
    bool OnUiThread = false;
    // Another thread held the results lock meanwhile.
    bool LockHeldElsewhere = false;
  };
  bool FullView() const override { return Full; }
  void ShowStatus(const std::string& text) override;
  void SetRowCount(int32_t rows, int32_t gridRows) override;

  bool Full = true;
  std::vector<TCall> Calls;
  std::function<void(const TCall&)> OnCall;

 private:
  void Add(TCall call);
  DWORD uiThread_ = GetCurrentThreadId();
};

// A search as the finder window sets it up.
struct TSearchSetup {
  explicit TSearchSetup(std::vector<std::string> paths = {}, std::string masks = "*.*")
      : Paths(std::move(paths)), Masks(std::move(masks)) {}
  std::vector<std::string> Paths;
  std::string Masks;
  TFileFilter Filter;
  std::string Text;
  bool CaseSensitive = false;
  bool Phrase = true;
  bool AllWords = false;
  // No paths: the selected items of the active pane.
  bool Selection = false;
};

// A fresh search list with the setup's masks and filter, and a thread for it.
std::unique_ptr<TFinder> PrepareSearch(const TSearchSetup& setup, IFinderWindow& window);
// Resumes and waits, dispatching the synchronised calls.
void RunToEnd(TFinder& finder);
// The search list's entries in display order, as paths below root; folders
// end in "\".
std::vector<std::string> ListedPaths(const std::string& root);
// The same, sorted and joined by blanks.
std::string SortedListing(const std::string& root);
