// Reads one folder into a file list, sorts it by name and writes the names in
// display order; prints the entries, the seconds of read and sort together, then each.
#include <windows.h>

#include <cstdio>

#include "core/FileList.h"
#include "core/ReadFolder.h"
#include "core/SortList.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: bench_listing FOLDER OUTPUT\n");
    return 2;
  }
  TstateOfBrowser list;
  InitFileList(list, 1, 300, "*.*", 10000);
  AddDirRecord(list, TDirRecord{nullptr, 0, 0, list.Names->Add(argv[1]), DirOpen, 0, -1});
  LARGE_INTEGER freq, start, middle, end;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  bool read = ReadDirEntries(1, 0, list);
  QueryPerformanceCounter(&middle);
  SortDir(1, SortDefault, list);
  QueryPerformanceCounter(&end);
  if (!read) return 1;
  FILE* out = fopen(argv[2], "wb");
  if (!out) return 1;
  {
    TBlockLock<uint32_t> order(list.OrderBlock);
    TBlockLock<TFileRecord> files(list.FileBlock);
    list.Names->Lock();
    for (int32_t p = 0; p < list.FileCount; ++p)
      fprintf(out, "%s\n", list.Names->GetPChar(files[order[p] - 1].NameOffset));
    list.Names->Unlock();
  }
  fclose(out);
  auto seconds = [&](LARGE_INTEGER a, LARGE_INTEGER b) { return double(b.QuadPart - a.QuadPart) / double(freq.QuadPart); };
  printf("%d %.6f read=%.6f sort=%.6f\n", list.FileCount, seconds(start, end), seconds(start, middle),
         seconds(middle, end));
  FreeFileList(list);
  return 0;
}
