// Reads one folder into a file list, sorts it by name and writes the names in
// display order. Several rounds, each on a fresh list; prints the entries and
// the best round's seconds of read and sort together, then the best of each
// part and the best bare FindFirstFileExA/FindNextFileA loop over the folder
// (the floor that Wine's enumeration sets).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/Clock.h"
#include "core/FileList.h"
#include "core/ReadFolder.h"
#include "core/SortList.h"

namespace {

double EnumerationSeconds(const std::string& folder) {
  const double start = Now();
  WIN32_FIND_DATAA fd;
  TFindHandle search(FindFirstFileExA((folder + "\\*.*").c_str(), FindExInfoBasic, &fd,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (search)
    while (FindNextFileA(search.Get(), &fd)) {
    }
  return Now() - start;
}

struct TRound {
  double read = 0, sort = 0;
};

TRound ReadAndSort(const char* folder, TstateOfBrowser& list) {
  InitFileList(list, 1, 300, "*.*", 10000);
  AddDirRecord(list, TDirRecord{nullptr, 0, 0, list.Names->Add(folder), DirOpen, 0, -1});
  TRound round;
  const double start = Now();
  if (!ReadDirEntries(1, 0, list)) list.FileCount = -1;
  const double middle = Now();
  SortDir(1, SortDefault, list);
  round.read = middle - start;
  round.sort = Now() - middle;
  return round;
}

bool WriteNames(TstateOfBrowser& list, const char* path) {
  FILE* out = fopen(path, "wb");
  if (!out) return false;
  TBlockLock<uint32_t> order(list.OrderBlock);
  TBlockLock<TFileRecord> files(list.FileBlock);
  list.Names->Lock();
  for (int32_t p = 0; p < list.FileCount; ++p)
    fprintf(out, "%s\n", list.Names->GetPChar(files[order[p] - 1].NameOffset));
  list.Names->Unlock();
  return fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    fprintf(stderr, "usage: bench_listing FOLDER OUTPUT [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc == 4 ? std::max(1, atoi(argv[3])) : 1;
  // Each figure its own best round, as the floor is: the machine is shared.
  TRound best{1e9, 1e9};
  double total = 1e9;
  double floor = 1e9;
  int32_t entries = 0;
  for (int i = 0; i < rounds; ++i) {
    floor = std::min(floor, EnumerationSeconds(argv[1]));
    TstateOfBrowser list;
    TRound round = ReadAndSort(argv[1], list);
    entries = list.FileCount;
    const bool written = i > 0 || WriteNames(list, argv[2]);
    FreeFileList(list);
    if (entries < 0 || !written) return 1;
    total = std::min(total, round.read + round.sort);
    best.read = std::min(best.read, round.read);
    best.sort = std::min(best.sort, round.sort);
  }
  printf("%d %.6f read=%.6f sort=%.6f floor=%.6f\n", entries, total, best.read, best.sort, floor);
  return 0;
}
