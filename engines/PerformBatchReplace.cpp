#include "engines/PerformBatchReplace.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "core/FileUtils.h"
#include "engines/BatchReplacer_utils.h"
#include "engines/OfficeReplacers.h"
#include "engines/TextReplacer.h"

namespace {

std::string EscapeHashes(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '#') out += '#';
  }
  return out;
}

// Walks a replacement as the table syntax reads it and hands each "#FN#" and
// "#FE#" group to token (which returns its text); everything else, "##"
// escapes and other groups included, is copied as it stands.
std::string MapFileTokens(const std::string& r, const std::function<std::string(char)>& token) {
  size_t i = 0;
  if (r.size() >= 3 && r[0] == '#' && r[2] == '#' && strchr("UuDd", r[1])) i = 3;
  std::string out = r.substr(0, i);
  while (i < r.size()) {
    const size_t close = r[i] == '#' ? r.find('#', i + 1) : std::string::npos;
    if (close == std::string::npos) {
      out += r[i++];
      continue;
    }
    const std::string group = r.substr(i, close + 1 - i);
    out += group == "#FN#" ? token('N') : group == "#FE#" ? token('E') : group;
    i = close + 1;
  }
  return out;
}

}  // namespace

uint32_t BatchFileStatus(TReplaceResult result) {
  switch (result) {
    case rrFailed: return fsFailed | iuUnselect;
    // Gone: the item keeps its selection.
    case rrNotFound: return fsFailed | iuRemove;
    case rrChanged: return fsSuccessful | iuSize | iuUnselect;
    case rrUnchanged:
    case rrNotSupported: return fsUnchanged | iuSize | iuUnselect;
    case rrProtected: return iuSize | iuUnselect;
  }
  return 0;
}

bool UsesFileTokens(const TStringList& replacements) {
  bool found = false;
  for (const std::string& r : replacements)
    MapFileTokens(r, [&](char) {
      found = true;
      return std::string();
    });
  return found;
}

std::string FillFileTokens(const std::string& replacement, const std::string& path) {
  const size_t start = path.find_last_of("\\:");
  const std::string name = start == std::string::npos ? path : path.substr(start + 1);
  std::string base, ext;
  ExtractNamePart(name, base);
  ExtractExtPart(name, ext);
  base = EscapeHashes(base);
  ext = EscapeHashes(ext);
  return MapFileTokens(replacement, [&](char t) { return t == 'N' ? base : ext; });
}

namespace PerformBatchReplace {

void TReplacer::Execute() {
  FinalState = RunWorkerJob(*this, [this] { Run(); }, ErrorText);
  ReturnValue = DWORD(FinalState);
  CaseColumn.Clear();
  Finds.Clear();
  Replacements.Clear();
}

void TReplacer::Run() {
  UsesTokens = UsesFileTokens(Replacements);
  const TDocumentMaskLists masks;
  // The office replacers start their servers at the first document of their kind.
  TTextReplacer text(this, Backup, BatchBlock.Handle(), rmBatch);
  TMSWordReplacer word(this, Backup, BatchBlock.Handle(), rmBatch);
  TMSExcelReplacer sheets(this, Backup, BatchBlock.Handle(), rmBatch, 0);
  TMSPowerPointReplacer slides(this, Backup, BatchBlock.Handle(), rmBatch, 0);
  for (TOfficeReplacer* r : {static_cast<TOfficeReplacer*>(&word),
                             static_cast<TOfficeReplacer*>(&sheets),
                             static_cast<TOfficeReplacer*>(&slides)})
    r->PairCount = PairCount;

  CallGetNextFile();
  while (Item && !Terminated()) {
    Path = ItemPath(*Item);
    Attributes = GetFileAttributesA(Path.c_str());
    if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (!Terminated()) CallGetNextFile();
      continue;
    }
    SizeBefore = std::max<int64_t>(GetEntrySize(Path), 0);
    SizeAfter = SizeBefore;
    Stage = 0;
    Matches = 0;
    Result = rrFailed;
    if (UsesTokens) SubstituteFileTokens(Path);
    const TDocumentKind kind = masks.GetFileKind(Path);
    if (kind == dkPlain) {
      Result = text.ReplaceBatchStream(Path, BatchBlock.Handle(), uint32_t(std::max(PairCount, 0)));
      Matches = text.MatchCount;
    } else {
      TOfficeReplacer& office = kind == dkWordProcessor ? static_cast<TOfficeReplacer&>(word)
                                : kind == dkSpreadsheet ? static_cast<TOfficeReplacer&>(sheets)
                                                        : static_cast<TOfficeReplacer&>(slides);
      office.Block = BatchBlock.Handle();
      Result = office.ReplaceInFile(Path);
      Matches = office.MatchCount;
      Stage = office.Stage;
    }
    if (const uint32_t flags = BatchFileStatus(Result)) Status.Flags = flags;
    if (Status.Flags & iuSize) {
      const int64_t now = GetEntrySize(Path);
      // A size that cannot be read is not reported as a size.
      if (now < 0)
        Status.Flags &= ~iuSize;
      else
        SizeAfter = now;
      Status.Size = uint64_t(SizeAfter);
    }
    CallFileDone();
    CallProgress();
    if (!Terminated()) CallGetNextFile();
  }
}

void TReplacer::SubstituteFileTokens(const std::string& path) {
  TStringList filled;
  for (const std::string& r : Replacements) filled.Add(FillFileTokens(r, path));
  TGlobalBlock block;
  if (CheckAndBuildBatchBlock(block, CaseColumn, Finds, filled) != -1) return;
  BatchBlock = std::move(block);
}

void TReplacer::CallGetNextFile() {
  Synchronize([this] {
    if (!OnGetNextFile) throw std::runtime_error(kNoGetNextFileText);
    OnGetNextFile(this, Item);
  });
}

void TReplacer::CallFileDone() {
  Synchronize([this] {
    if (OnFileDone) OnFileDone(this, Status);
  });
}

void TReplacer::CallProgress() {
  Synchronize([this] {
    if (OnProgress) OnProgress(this, Result, Stage, Matches, SizeBefore, SizeAfter);
  });
}

}  // namespace PerformBatchReplace
