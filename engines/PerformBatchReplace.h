#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/SelectedItem.h"
#include "engines/ReplacerBase.h"
#include "engines/WorkerEvents.h"
#include "framework/Handles.h"
#include "framework/StringList.h"

namespace PerformBatchReplace {

// Applies one batch table to every file the owner hands out, in a worker
// thread: plain files in one pass, office documents through their servers.
class TReplacer : public TThread {
 public:

  TItemUpdate Status;
  TReplaceResult Result = rrFailed;
  TSelectedItem* Item = nullptr;
  int32_t Matches = 0;
  int64_t SizeBefore = 0;
  int64_t SizeAfter = 0;
  int32_t FinalState = 0;  // 0 running, 1 stopped, 2 done
  bool UsesTokens = false;
  std::string Path;
  TGetNextFileEvent OnGetNextFile;
  TFileDoneEvent OnFileDone;
  TProgressEvent OnProgress;
  // The table's block, freed with the thread: after a run it may be one the
  // thread made in place of the first.
  TGlobalBlock BatchBlock;
  int32_t Stage = 0;
  uint32_t Attributes = 0;
  int32_t PairCount = 0;
  bool Backup = false;
  TStringList CaseColumn;
  TStringList Finds;
  TStringList Replacements;
  // What stopped the run when it ended by an error, else empty.
  std::string ErrorText;

 protected:
  void Execute() override;

 private:
  void Run();
  void CallGetNextFile();
  void CallFileDone();
  void CallProgress();
  // The block for the current file with its name and extension in the
  // replacements; the old block stays when no new one can be built.
  void SubstituteFileTokens(const std::string& path);
};

}  // namespace PerformBatchReplace

// Status flags of the batch thread for a file's result; 0 for a result that
// leaves the item alone.
uint32_t BatchFileStatus(TReplaceResult result);

// True when a replacement holds "#FN#" or "#FE#" (upper case only).
bool UsesFileTokens(const TStringList& replacements);

// A replacement with "#FN#" and "#FE#" replaced by the parts of the file's
// own name before and after its last dot, escaped for the table's syntax.
std::string FillFileTokens(const std::string& replacement, const std::string& path);
