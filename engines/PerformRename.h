#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/FileList.h"
#include "engines/WorkerEvents.h"

// Renames every file of a rename plan in a worker thread. The plan's entries
// carry as their Tag the 1-based record number of the same file in the source
// list, whose entry gets the result's mark and, when renamed, the new name.
class TRenamer : public TThread {
 public:

  int32_t FinalState = 0;  // 0 running, 1 stopped, 2 done
  std::string Message;
  int32_t Result = 0;  // TReplaceResult of the current file
  TstateOfBrowser* Plan = nullptr;
  TstateOfBrowser* SourceList = nullptr;
  TRenameProgressEvent OnProgress;
  TRenameDoneEvent OnFileDone;

 protected:
  void Execute() override;

 private:
  bool NextEntry(uint32_t& dir, uint32_t& pos, TFileRecord& entry);
  void RenameEntry(const TFileRecord& entry, int32_t number);
  // The source list changes only here, on the user-interface thread, since
  // the panes paint from its pool.
  void MarkSource(uint32_t record, bool gone, const std::string& newName);
  void CallFileDone();
  void CallProgress();
};

// Creates the folders that the backslashes of newName name below folder
// (which ends with a backslash); existing ones are left alone.
void ForceFolders(const std::string& folder, const std::string& newName);

// Moves a file to a new name without ever replacing an existing file. A name
// that differs only in letter case goes through a free temporary name, since
// some file systems take a direct case-only move as done without doing it.
bool MoveFileNoReplace(const std::string& oldPath, const std::string& newPath);
