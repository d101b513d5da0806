#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/FileList.h"
#include "framework/Handles.h"
#include "framework/StringList.h"
#include "framework/Thread.h"
#include "windows/FinderText.h"

// The finder's results, filled by the search thread while the results
// window shows them.
extern TstateOfBrowser SearchList;
// The list the results window shows: the search list, or the renamer's plan.
extern TstateOfBrowser* ResultsList;
// Guards the search list wherever the thread or the results window reads or
// changes it. It lives as long as the program, so no thread can outlive it.
// Nothing that handles messages or waits on the other side may run while it
// is held: the user-interface thread would re-enter it.
extern TCriticalSection ResultsLock;

// What the search thread asks of its results window. Every call runs on the
// user-interface thread while the thread waits, never with the results lock
// held.
class IFinderWindow {
 public:
  virtual ~IFinderWindow() = default;
  // Folder header rows are shown: they count as rows.
  virtual bool FullView() const = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  // The rows to show and the grid rows that hold them; repaints without
  // erasing.
  virtual void SetRowCount(int32_t rows, int32_t gridRows) = 0;
};

// Read flag of a search without duplicates: files and folders are hits.
constexpr uint32_t ReadFilesAndFolders = 4;

// The finder's worker: walks the search paths (or the items selected in the
// active pane), keeps the entries that pass the search list's filter and
// contain the text, and reports through Window. Made as TThreadOf<TFinder>,
// suspended; the finder window fills the search list's filter, gives it the
// paths, the patterns and OnTerminate, then resumes it.
class TFinder : public TThread {
 public:

  IFinderWindow* Window = nullptr;
  // A copy made before Resume; none: search the selection.
  std::optional<std::vector<std::string>> SearchPaths;
  // Valid while HasPatterns is set (BuildPatternBlock).
  TGlobalBlock PatternBlock;
  bool HasPatterns = false;
  bool IgnoreCase = false;
  int32_t PatternCount = 0;
  // Every word must be found, all in one form.
  bool AllWords = false;
  uint32_t ReadFlags = ReadFilesAndFolders;
  std::string FinalStatus;
  // The folder or file being worked on.
  std::string CurrentPath;
  // Set once Execute has reported the final row count, before OnTerminate.
  bool SearchFinished() const { return finished_.load(); }

 protected:
  void Execute() override;

 private:
  friend bool BuildPatternBlock(TFinder&, const std::string&, bool, bool, UINT);
  friend bool FileContainsText(TFinder&, const std::string&);

  void Walk();
  // The three passes over the selected items of the active pane.
  void SearchSelection();
  void SearchFolder(const std::string& path);
  // Tests one selected file and copies its pane entry into the list.
  void CheckFile(const std::string& folder, const std::string& name);
  // Registers, reads and tests one folder; its subfolders go to names.
  void SearchOneFolder(const std::string& path, TStringList& names);
  // The full paths of a read folder's files in block order; "" for folders.
  void CopyCandidates(uint32_t dir, const std::string& path, uint32_t count,
                      std::vector<std::string>& candidates);
  void Finish();
  void SyncStatus();
  void SyncRowCount();
  void SyncFinalStatus(int32_t rows, bool addFolders);
  void Report();

  std::atomic<bool> finished_{false};
  TFinderMatcher matcher_;
  bool matcherReady_ = false;
  std::vector<uint8_t> buffer_;
  bool rowsPending_ = false;
  uint64_t lastReport_ = 0;
  bool reported_ = false;
};

// Fills the finder's patterns from the search text (codePage: the one the
// files' 8-bit text is in, the system's ANSI page in the program); false and
// no patterns when the text has no unit.
bool BuildPatternBlock(TFinder& finder, const std::string& text, bool caseSensitive, bool phrase,
                       UINT codePage = CP_ACP);
// Whether the file holds the patterns by the finder's rule; reading stops at
// the hit. A file that cannot be opened, a short read before the hit or a
// stop request gives false.
bool FileContainsText(TFinder& finder, const std::string& path);

// Option bit of GeneralCheckContainer: every found file starts selected.
constexpr uint32_t OptSelectFound = 0x2000;
// Selects every file of the list (folders stay as they are), under the
// results lock; the results window calls it when a search ends with the option.
void SelectFoundFiles(TstateOfBrowser& list);

namespace FinderTesting {
// Changes the shortest time between two progress reports (ms); ~0u restores it.
void SetReportInterval(uint32_t ms);
}  // namespace FinderTesting
