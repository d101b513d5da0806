#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/FileList.h"
#include "core/SelectedItem.h"

// Check flags of a walk's begin: none, files needed, folders needed; any
// other value asks for a selection of any kind.
constexpr uint32_t CheckNothing = 1;
constexpr uint32_t CheckFiles = 2;
constexpr uint32_t CheckFolders = 4;
constexpr uint32_t CheckSelected = 8;

// Modes of NextSelectedItem: pointers into the list's pool, or copies in the
// walk's text block (plug-ins, the results viewer).
constexpr int WalkInPool = 1;
constexpr int WalkCopied = 2;

// Display modes of a pane.
constexpr int PaneBrief = 1;
constexpr int PaneFull = 2;
constexpr int PaneTree = 3;
constexpr int PaneBasket = 4;

// What a walk needs of the pane whose list it walks.
class ISelectionPane {
 public:
  virtual ~ISelectionPane() = default;
  virtual TstateOfBrowser& OwnList() = 0;
  // The pane's view of the basket (its mark bit is the pane's).
  virtual TstateOfBrowser& BasketView() = 0;
  virtual int DisplayMode() = 0;
  // Marks or unmarks the entry under the cursor.
  virtual void MarkCurrent(bool mark) = 0;
  // No icon reader may run over a list that a worker walks.
  virtual void StopIconThread() = 0;
};

// What a walk needs of the main window.
class ISelectionHost {
 public:
  virtual ~ISelectionHost() = default;
  // The pane the file commands work on, or nil when it is hidden.
  virtual ISelectionPane* GetActivePane() = 0;
  // A refused check's message in a box captioned like the main window.
  virtual void ShowCheckMessage(const std::string& text) = 0;
};

// Set by the main window while it exists.
extern ISelectionHost* SelectionHost;

using TCheckRefusal = std::function<void(const std::string& text)>;

void ResetSelectionWalk();
// A walk over the active pane's list (the basket when the pane shows it);
// false when there is no pane, a walk is open already, or the check refuses.
bool BeginSelectionWalk(uint32_t checkFlags);
// The walk's core over a given list: pane (may be nil) makes the automatic
// mark; refuse shows the check's message. Nothing is locked on false.
bool BeginWalkOver(TstateOfBrowser& list, const std::string& rootPath, uint32_t checkFlags,
                   ISelectionPane* pane, const TCheckRefusal& refuse);
// The pre-operation check of the list being walked.
bool CheckSelection(uint32_t checkFlags, ISelectionPane* pane, const TCheckRefusal& refuse);
// The next selected entry of an open directory, or nil at the end (and on
// until a reset).
TSelectedItem* NextSelectedItem(int mode);
// Applies an update to the entry the last step returned, when still marked.
void UpdateItemState(const TItemUpdate* update);
// Marks (or unmarks) the entries whose status word equals status.
void SelectEntriesByStatus(TstateOfBrowser& list, bool select, TFileStatus status);
