// Replaces a text in one file with the plain-text engine, or copies the file
// with plain ReadFile/WriteFile in the engine's block size (the floor any
// streaming rewrite pays), or so rewrites it in place (copy beside it, then
// moved over it); prints the seconds spent and the matches.
//   bench_replace replace FILE FIND REPLACEMENT
//   bench_replace copy FILE OUTPUT
//   bench_replace rewrite FILE
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engines/ReplacerBase.h"
#include "engines/TextReplacer.h"

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  return double(b.QuadPart - a.QuadPart) / double(freq.QuadPart);
}

bool Replace(const char* file, const char* find, const char* replacement, int32_t& matches) {
  TPatternPairOptions options;
  options.CaseSensitive = true;
  TGlobalBlock block = BuildPatternBlock(find, replacement, options);
  TTextReplacer replacer(nullptr, false, block.Handle(), rmReplace);
  const TReplaceResult result = replacer.ReplaceStream(file);
  matches = replacer.MatchCount;
  return result == rrChanged;
}

bool Copy(const char* file, const char* output) {
  THandle in(CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  THandle out(CreateFileA(output, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!in || !out) return false;
  std::vector<char> buffer(ReplaceBlockSize());
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(in.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
    if (got == 0) return true;
    if (!WriteFile(out.Get(), buffer.data(), got, &put, nullptr) || put != got) return false;
  }
}

}  // namespace

bool Rewrite(const std::string& file) {
  const std::string temp = file + "0";
  return Copy(file.c_str(), temp.c_str()) && MoveFileExA(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
}

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  const bool replace = argc == 5 && verb == "replace";
  const bool copy = argc == 4 && verb == "copy";
  const bool rewrite = argc == 3 && verb == "rewrite";
  if (!replace && !copy && !rewrite) {
    fprintf(stderr, "usage: bench_replace replace FILE FIND REPLACEMENT | copy FILE OUTPUT | rewrite FILE\n");
    return 2;
  }
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  int32_t matches = 0;
  const bool ok = replace ? Replace(argv[2], argv[3], argv[4], matches)
                          : copy ? Copy(argv[2], argv[3]) : Rewrite(argv[2]);
  QueryPerformanceCounter(&end);
  if (!ok) return 1;
  printf("%.6f %d\n", Seconds(start, end), matches);
  return 0;
}
