// Applies a batch table file to one file with the plain-text batch engine;
// prints the file's size, the seconds taken and the number of matches.
#include <windows.h>

#include <cstdio>

#include "engines/BatchReplacer_utils.h"
#include "engines/TextReplacer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_batch TABLE FILE\n");
    return 2;
  }
  TStringList caseColumn, finds, replacements;
  if (!LoadBatchTable(argv[1], caseColumn, finds, replacements)) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  TGlobalBlock block;
  if (CheckAndBuildBatchBlock(block, caseColumn, finds, replacements) != -1) {
    std::fprintf(stderr, "bad table\n");
    return 1;
  }
  TTextReplacer replacer(nullptr, false, block.Handle(), rmBatch);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const TReplaceResult result =
      replacer.ReplaceBatchStream(argv[2], block.Handle(), static_cast<uint32_t>(finds.Count()));
  QueryPerformanceCounter(&end);
  if (result != rrChanged) {
    std::fprintf(stderr, "result %d\n", static_cast<int>(result));
    return 1;
  }
  const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  std::printf("%lld %.3f %d\n", static_cast<long long>(replacer.FileSize), seconds, replacer.MatchCount);
  return 0;
}
