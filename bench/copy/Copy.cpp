// Copies the entries of one folder into a fresh target folder, several
// rounds, each target new: "ops" through the file-operation thread over a
// file list of the folder, "floor" through a bare CreateFile, ReadFile,
// WriteFile, SetFileTime, CloseHandle, SetFileAttributes loop without
// synchronised calls (no copy under Wine can be faster). The target of
// round i is TARGET + i; the best round's seconds are printed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/FileList.h"
#include "core/ReadFolder.h"
#include "core/Selection.h"
#include "core/translator.h"
#include "windows/SelectionWalk.h"
#include "windows/StartOperation.h"

namespace {

double Now() {
  LARGE_INTEGER freq, count;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&count);
  return double(count.QuadPart) / double(freq.QuadPart);
}

// The windows' part, minus the windows.
class TSilentView : public IOperationView {
 public:
  int Ask(const TOperationQuestion&) override {
    ++questions;
    return qrCancel;
  }
  void ShowMessage(const std::string& text, const std::string& caption, UINT) override {
    fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    ++questions;
  }
  void ShowNames(const std::string&, const std::string&, const std::string&,
                 const std::string&) override {}
  void ShowProgress(int, int) override {}
  int questions = 0;
};

bool CopyByOperation(const std::string& source, const std::string& target) {
  TstateOfBrowser list;
  InitFileList(list, 1, 300, "*.*", 10000);
  AddDirRecord(list, TDirRecord{nullptr, 0, 0, list.Names->Add(source.c_str()), DirOpen, 0, -1});
  ReadDirEntries(1, 0, list);
  {
    TBlockLock<TFileRecord> files(list.FileBlock);
    for (int32_t i = 0; i < list.FileCount; ++i) files[size_t(i)].Flags |= FileMarked;
  }
  UpdateListTotals(list);
  bool ok = BeginWalkOver(list, source, CheckSelected, nullptr, nullptr);
  TSilentView view;
  if (ok) {
    TFileOperation op;
    ok = PrepareFileOperation(target + "\\", opCopy, nullptr, op);
    if (ok) {
      op.Thread->View = &view;
      op.Thread->ViewShown();
      LaunchFileOperation(op);
      WaitWithMessages(op.Thread->Handle());
      FinishFileOperation(op);
    }
    EndListOperation();
  }
  FreeFileList(list);
  return ok && view.questions == 0;
}

bool CopyFileBare(const std::string& from, const std::string& to, std::vector<char>& buffer) {
  HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  DWORD got = 0, put = 0;
  while (ok && ReadFile(in, buffer.data(), DWORD(buffer.size()), &got, nullptr) && got)
    ok = WriteFile(out, buffer.data(), got, &put, nullptr) && put == got;
  FILETIME c, a, w;
  if (ok) ok = GetFileTime(in, &c, &a, &w) && SetFileTime(out, &c, &a, &w);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  CloseHandle(in);
  return ok && SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}

bool CopyTreeBare(const std::string& from, const std::string& to, std::vector<char>& buffer) {
  if (!CreateDirectoryA(to.c_str(), nullptr)) return false;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((from + "\\*.*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ok = CopyTreeBare(from + "\\" + name, to + "\\" + name, buffer) && ok;
    else
      ok = CopyFileBare(from + "\\" + name, to + "\\" + name, buffer) && ok;
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: bench_copy ops|floor SOURCE TARGET ROUNDS\n");
    return 2;
  }
  InitSynchronize();
  Translator();
  RegisterSharedTexts();
  const std::string mode = argv[1], source = argv[2], target = argv[3];
  const int rounds = std::max(1, atoi(argv[4]));
  std::vector<char> buffer(365000);
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const std::string to = target + std::to_string(i);
    const double start = Now();
    bool ok;
    if (mode == "ops")
      ok = CreateDirectoryA(to.c_str(), nullptr) && CopyByOperation(source, to);
    else
      ok = CopyTreeBare(source, to, buffer);
    const double seconds = Now() - start;
    if (!ok) {
      fprintf(stderr, "round %d failed\n", i);
      return 1;
    }
    best = std::min(best, seconds);
    printf("round %d %.3f\n", i, seconds);
    fflush(stdout);
  }
  printf("best %.3f\n", best);
  return 0;
}
