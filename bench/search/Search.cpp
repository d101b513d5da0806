// Searches a tree for one word in both forms with the search thread, as the
// finder runs it but without windows, and writes the found paths. Several
// rounds, each on a fresh list; prints the hits, the best round's seconds and
// the best bare walk (the floor): every file opened, read to its end or to
// the word's first occurrence in either form, and closed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/Clock.h"
#include "core/ListLock.h"
#include "core/translator.h"
#include "windows/Finder.h"

namespace {

class TSilentWindow : public IFinderWindow {
 public:
  bool FullView() const override { return true; }
  void ShowStatus(const std::string&) override {}
  void SetRowCount(int32_t, int32_t) override {}
};

int32_t SearchOnce(const std::string& root, const std::string& word, bool caseSensitive,
                   double& seconds) {
  FreeFileList(SearchList);
  InitFileList(SearchList, 10, 300, "*.*", 10000);
  SearchList.Filter.Active = 1;
  SearchList.ModeFlags = ModeResults;
  TSilentWindow window;
  TThreadOf<TFinder> finder;
  finder.Window = &window;
  finder.SearchPaths = std::vector<std::string>{root};
  BuildPatternBlock(finder, word, caseSensitive, true);
  const double start = Now();
  finder.Resume();
  finder.WaitFor();
  seconds = Now() - start;
  return SearchList.ListedFiles;
}

bool WriteHits(const char* path) {
  FILE* out = fopen(path, "wb");
  if (!out) return false;
  TListLock lock(SearchList);
  TPoolLock pool(SearchList.Names);
  for (uint32_t dir = 1; int32_t(dir) <= SearchList.DirCount; ++dir)
    for (uint32_t pos = 1; lock.Dir(dir) && pos <= lock.Dir(dir)->FileCount; ++pos)
      if (const TFileRecord* e = lock.Entry(dir, pos))
        fprintf(out, "%s\\%s\n", EntryDirPath(dir, SearchList).c_str(), pool.Text(e->NameOffset));
  return fclose(out) == 0;
}

// The floor's own test, as lean as a byte loop can be: enough to know where
// reading may stop. For a word of ASCII letters: OR 0x20 folds their case.
class TFloorScan {
 public:
  TFloorScan(const std::string& word, bool ignoreCase) : fold_(ignoreCase ? 0x20 : 0) {
    for (char c : word) {
      ansi_ += char(c | fold_);
      wide_ += std::string(1, char(c | fold_)) + '\0';
    }
  }
  void Start() { carried_ = 0; }
  // The block, and the few bytes before it that a match may start in.
  bool Holds(const uint8_t* p, size_t n) {
    uint8_t edge[32];
    const size_t head = std::min(n, wide_.size() - 1);
    memcpy(edge, carry_, carried_);
    memcpy(edge + carried_, p, head);
    if (Scan(edge, carried_ + head) || Scan(p, n)) return true;
    carried_ = std::min(n, wide_.size() - 1);
    memcpy(carry_, p + n - carried_, carried_);
    return false;
  }

 private:
  bool Scan(const uint8_t* p, size_t n) const {
    const uint8_t first = uint8_t(ansi_[0]);
    for (size_t i = 0; i + ansi_.size() <= n; ++i) {
      if ((p[i] | fold_) != first) continue;
      if (Equal(p + i, n - i, ansi_) || Equal(p + i, n - i, wide_)) return true;
    }
    return false;
  }
  bool Equal(const uint8_t* p, size_t n, const std::string& s) const {
    if (n < s.size()) return false;
    for (size_t k = 0; k < s.size(); ++k)
      if ((s[k] ? p[k] | fold_ : p[k]) != uint8_t(s[k])) return false;
    return true;
  }

  uint8_t fold_;
  std::string ansi_, wide_;
  uint8_t carry_[32] = {};
  size_t carried_ = 0;
};

void FloorWalk(const std::string& folder, TFloorScan& scan, std::vector<uint8_t>& buffer,
               int32_t& hits) {
  WIN32_FIND_DATAA fd;
  TFindHandle search(FindFirstFileExA((folder + "\\*.*").c_str(), FindExInfoBasic, &fd,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!search) return;
  do {
    if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
    const std::string path = folder + "\\" + fd.cFileName;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      FloorWalk(path, scan, buffer, hits);
      continue;
    }
    THandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) continue;
    scan.Start();
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer.data(), DWORD(buffer.size()), &got, nullptr) && got > 0)
      if (scan.Holds(buffer.data(), got)) {
        ++hits;
        break;
      }
  } while (FindNextFileA(search.Get(), &fd));
}

double FloorSeconds(const std::string& root, const std::string& word, bool caseSensitive,
                    int32_t& hits) {
  TFloorScan scan(word, !caseSensitive);
  std::vector<uint8_t> buffer(262144);
  hits = 0;
  const double start = Now();
  FloorWalk(root, scan, buffer, hits);
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5 || argc > 6) {
    fprintf(stderr, "usage: bench_search FOLDER WORD CASE(0 ignored, 1 respected) OUTPUT [ROUNDS]\n");
    return 2;
  }
  InitSynchronize();
  RegisterSharedTexts();
  const std::string root = argv[1], word = argv[2];
  const bool caseSensitive = atoi(argv[3]) != 0;
  const int rounds = argc == 6 ? std::max(1, atoi(argv[5])) : 1;
  double best = 1e9, floor = 1e9;
  int32_t hits = 0, floorHits = 0;
  for (int i = 0; i < rounds; ++i) {
    floor = std::min(floor, FloorSeconds(root, word, caseSensitive, floorHits));
    double seconds = 0;
    hits = SearchOnce(root, word, caseSensitive, seconds);
    if (i == 0 && !WriteHits(argv[4])) return 1;
    best = std::min(best, seconds);
  }
  printf("%d %.6f floor=%.6f floor_hits=%d\n", hits, best, floor, floorHits);
  FreeFileList(SearchList);
  return 0;
}
