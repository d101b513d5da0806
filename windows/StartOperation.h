#pragma once
#include <functional>
#include <memory>
#include <string>

#include "core/FileList.h"
#include "windows/FileOperations.h"

// Option bits of GeneralCheckContainer that a file operation reads.
constexpr uint32_t OptDeleteNonEmpty = 0x02;
constexpr uint32_t OptRecycle = 0x04;
constexpr uint32_t OptConfirmOverwrite = 0x10;
constexpr uint32_t OptConfirmHidden = 0x20;
constexpr uint32_t OptConfirmReadOnly = 0x40;

// A refusal's message, shown in a warning box captioned like the main window.
using TOperationWarning = std::function<void(const std::string& text)>;

// Not empty and without "?" or "*".
bool NameHasNoWildcards(const std::string& name);
// The target text of a copy or move as a target folder (with its backslash;
// empty: each item's own folder) and a name mask, resolved against the open
// walk's RootPath, never against the current folder. False, the warning
// given, when the folder part names no folder.
bool ParseTarget(const std::string& target, std::string& folder, std::string& name,
                 const TOperationWarning& warn);

using TOperationThread = TThreadOf<TOperations>;

// A file operation between its start and its end.
struct TFileOperation {
  uint32_t Code = 0;
  std::unique_ptr<TOperationThread> Thread;
  TstateOfBrowser BasketWork;
  // The name the list's cursor moves to afterwards, when set.
  bool MovesCursor = false;
  std::string CursorName;
  ~TFileOperation();
};

// Everything of a start over the open walk that needs no window: the target
// parsed and checked, the selection sized, the thread made suspended with
// its job and the options' answers. False (the warning given) when refused.
bool PrepareFileOperation(const std::string& target, uint32_t code, const TOperationWarning& warn,
                          TFileOperation& op);
// Sets the busy flag (the thread clears it at its end) and resumes it.
void LaunchFileOperation(TFileOperation& op);
// After the thread is gone: a send to the basket replaces the basket by its
// work copy, and the walked list's cursor goes to the new name.
void FinishFileOperation(TFileOperation& op);

// A whole file operation over the open walk with its windows: started, run
// behind the modal progress window, and cleaned up when that closes.
void StartFileOperation(const std::string& target, uint32_t code);
