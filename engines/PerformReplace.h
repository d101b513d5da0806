#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/SelectedItem.h"
#include "engines/ReplacerBase.h"
#include "engines/WorkerEvents.h"
#include "framework/Thread.h"

// The status bits a replace run reports for a file's result.
TFileStatus FileStatusFor(TReplaceResult result);

// One single-pair replace run over the files its owner hands out one at a
// time: each file goes by its name to the plain-text engine or to one of the
// office replacers, and is reported through the synchronised callbacks in the
// order file done, progress, next file. Created suspended; the owner sets the
// fields and callbacks, the priority, then resumes it.
class TReplacer : public TThread {
 public:

  bool Backup = true;
  TReplaceResult Result = rrFailed;
  TSelectedItem* Item = nullptr;
  TItemUpdate FileStatus;
  int32_t Stage = 0;
  int32_t Matches = 0;
  int64_t SizeBefore = 0;
  int64_t SizeAfter = 0;
  // 0 while running, 1 stopped (or ended by an error), 2 done.
  int32_t FinalState = 0;
  std::string Path;
  TGetNextFileEvent OnGetNextFile;
  TFileDoneEvent OnFileDone;
  TProgressEvent OnProgress;
  HGLOBAL PatternBlock = nullptr;
  TReplaceMode Mode = rmReplace;
  int32_t SplitPosition = 0;
  // Why the run ended early, when it did ("Please specify function").
  std::string ErrorText;

 protected:
  void Execute() override;

 private:
  struct TRun;
  void RunFiles();
  void ProcessItem(TRun& run);
  void SettleStatus();
  void CallGetNextFile();
  void CallFileDone();
  void CallProgress();
};
