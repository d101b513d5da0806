#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Thread.h"

// The program's own file-operation thread is a TOperations too.
namespace KvtSetup {

class TOperations;
using TOperationsProgressEvent = std::function<void(TOperations* sender, int32_t percent)>;
using TOperationsErrorEvent =
    std::function<void(TOperations* sender, uint32_t errorCode, const std::string& errorText)>;

// Writes the embedded files "file1".."fileN" to Folder + the N names of its
// list, straight from the mapped resource data, with progress and a stop.
// Each file is written under a temporary name beside its target, and all of
// them take their names only once every one is whole: a failure leaves the
// folder as it was, an earlier installation included. A stop installs the
// files already whole. Its events run on the user-interface thread. Made as
// TThreadOf<TOperations>.
class TOperations : public TThread {
 public:
  enum : int32_t { stDone = 0, stCancelled = 1, stFailed = 2, stRunning = 3 };
  static constexpr uint32_t ChunkSize = 200000;

  // Created suspended, as every worker is; the list is copied.
  explicit TOperations(const std::vector<std::string>& fileList);

  int32_t Status = stRunning;
  uint32_t ErrorCode = 0;
  std::string ErrorText;
  std::string TargetPath;
  std::string ResourceName;
  int32_t Percent = 0;
  uint64_t TotalSize = 0;
  uint64_t Written = 0;
  TOperationsProgressEvent OnProgress;
  TOperationsErrorEvent OnError;
  // The install folder, without a trailing backslash (the names begin with one).
  std::string Folder;
  // The module whose resources are written; the program's own when null.
  HMODULE Module = nullptr;

 protected:
  void Execute() override;
  // The two calls whose failure cannot be provoked on a healthy disk; tests
  // replace them. Both leave the system's error code on failure.
  virtual bool WriteChunk(HANDLE file, const void* data, DWORD size, DWORD& written);
  virtual bool CloseTarget(HANDLE file);

 private:
  // A file whole under its temporary name, and whether it has been moved
  // over its target, which did not exist before when New.
  struct TWrittenFile {
    std::string Temp, Target;
    bool Placed = false, New = false;
  };

  bool ExtractResource(std::vector<TWrittenFile>& written);
  bool WriteResource(HANDLE file, const char* data, uint32_t size);
  bool PlaceWritten(std::vector<TWrittenFile>& written);
  static void RemoveLeftovers(const std::vector<TWrittenFile>& written, bool failed);
  void Fail(const char* text, DWORD code, DWORD fallbackCode);
  void DoProgress();
  void DoError();

  std::vector<std::string> FileList;
};

// Whether every name of the list, and the temporary name each is written
// under first, gives a path below MAX_PATH in folder.
bool NamesFitInFolder(const std::string& folder, const std::vector<std::string>& names);

// Makes and deletes a temporary file in folder, where the copy writes its
// own: 0, or the system's error code of the attempt.
DWORD TryWriteInFolder(const std::string& folder);

// Size of an RT_RCDATA resource; 0 when it is missing.
uint32_t GetResourceSize(const std::string& name, HMODULE module = nullptr);

// Appends an RT_RCDATA resource to stream; false (stream untouched) when it
// is missing or empty.
bool LoadResourceToStream(const std::string& name, std::string& stream, HMODULE module = nullptr);

}  // namespace KvtSetup
