#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "engines/BatchMatcher.h"
#include "engines/ReplacerBase.h"

// True for the bytes that end a word in whole-word matching.
bool IsWordDelimiter(uint8_t b);

// Replaces, inserts and counts in plain files of any size, streaming them in
// blocks through a numbered temporary output file.
class TTextReplacer : public TBaseReplacer {
 public:
  TTextReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode);

  // rmReplace, rmDelete, rmInsAfter.
  TReplaceResult ReplaceStream(const std::string& fileName);
  // rmInsToHead, rmInsToFoot: the find text is the text to write.
  TReplaceResult InsertHeadFoot(const std::string& fileName);
  // rmInsBefore, rmInsBetween (opening text of SplitPosition bytes, then the
  // closing text, both in the find text).
  TReplaceResult InsertBeforeBetween(const std::string& fileName);
  // rmJustFind: counts, never writes.
  TReplaceResult CountMatches(const std::string& fileName);
  // The operation that Mode names.
  TReplaceResult ReplaceInFile(const std::string& fileName);
  // rmBatch: applies the first pairCount records of a batch block in one pass
  // over the file (engines/BatchStream.cpp). The file tokens of the
  // replacements are the caller's to fill in before; any left are written
  // as they stand.
  TReplaceResult ReplaceBatchStream(const std::string& fileName, HGLOBAL block, uint32_t pairCount);

  TReplaceMode Mode;
  HGLOBAL Block;
  int32_t SplitPosition = 0;

 private:
  TReplaceResult StreamPass(const std::string& fileName, bool counting);
  // Made for the first file of a table, kept for the next ones.
  TBatchMatcher batchMatcher_;
};
