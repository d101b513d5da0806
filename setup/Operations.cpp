#include "setup/Operations.h"

#include <algorithm>
#include <cstdio>

#include "framework/Handles.h"

namespace KvtSetup {

namespace {

constexpr const char* kGetResourceError = "GET RESOURCE: Error ";
constexpr const char* kCreateFileError = "CREATE FILE: Error ";
constexpr const char* kWriteFileError = "WRITE TO FILE: Error ";

// The bytes of an RT_RCDATA resource as the loader maps them, or the step
// that failed with the system's code right after it.
struct TResourceData {
  const char* Data = nullptr;
  uint32_t Size = 0;
  DWORD Error = 0;
};

TResourceData MapResource(HMODULE module, const std::string& name) {
  TResourceData r;
  SetLastError(0);
  HRSRC info = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!info) {
    r.Error = GetLastError();
    return r;
  }
  // An empty resource is found without any error code of its own.
  r.Size = SizeofResource(module, info);
  if (r.Size == 0) {
    r.Error = GetLastError();
    return r;
  }
  HGLOBAL loaded = LoadResource(module, info);
  r.Data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!r.Data) r.Error = GetLastError();
  return r;
}

// The copy writes each file first under a name of its own beside the
// target, "kvtXXXX.tmp", made anew. Not GetTempFileNameA: Wine's reports
// success when it could not make the file.
constexpr size_t kTempNameLength = sizeof "\\kvtXXXX.tmp" - 1;

HANDLE CreateTempFile(const std::string& folder, std::string& path) {
  const DWORD start = GetTickCount();
  for (DWORD n = 0; n <= 0xFFFF; ++n) {
    char name[kTempNameLength + 1];
    snprintf(name, sizeof name, "\\kvt%04X.tmp", unsigned((start + n) & 0xFFFF));
    HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) path = folder + name;
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool NamesFitInFolder(const std::string& folder, const std::vector<std::string>& names) {
  size_t longest = kTempNameLength;
  for (const std::string& name : names) longest = std::max(longest, name.size());
  return folder.size() + longest < MAX_PATH;
}

DWORD TryWriteInFolder(const std::string& folder) {
  std::string temp;
  SetLastError(0);
  THandle file(CreateTempFile(folder, temp));
  if (!file) return GetLastError() ? GetLastError() : DWORD(ERROR_CANNOT_MAKE);
  file.Reset();
  DeleteFileA(temp.c_str());
  return ERROR_SUCCESS;
}

uint32_t GetResourceSize(const std::string& name, HMODULE module) {
  HRSRC info = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));
  return info ? SizeofResource(module, info) : 0;
}

bool LoadResourceToStream(const std::string& name, std::string& stream, HMODULE module) {
  const TResourceData r = MapResource(module, name);
  if (!r.Data) return false;
  stream.reserve(stream.size() + r.Size);
  for (uint32_t at = 0; at < r.Size; at += TOperations::ChunkSize)
    stream.append(r.Data + at, std::min(TOperations::ChunkSize, r.Size - at));
  return true;
}

TOperations::TOperations(const std::vector<std::string>& fileList) : FileList(fileList) {}

void TOperations::Execute() {
  Status = stRunning;
  Written = 0;
  TotalSize = 0;
  std::vector<TWrittenFile> written;
  try {
    for (size_t n = 1; n <= FileList.size(); ++n)
      TotalSize += GetResourceSize("file" + std::to_string(n), Module);
    bool ok = true;
    for (size_t n = 1; n <= FileList.size() && ok && !Terminated(); ++n) {
      TargetPath = Folder + FileList[n - 1];
      ResourceName = "file" + std::to_string(n);
      ok = ExtractResource(written);
    }
    const bool stopped = Terminated();
    if (ok || stopped) ok = PlaceWritten(written) && ok;
    Status = stopped ? stCancelled : ok ? stDone : stFailed;
    RemoveLeftovers(written, Status == stFailed);
    if (Status == stFailed) DoError();
  } catch (...) {
    // A throwing event ends the copy as failed; the thread keeps the exception.
    Status = stFailed;
    RemoveLeftovers(written, true);
    throw;
  }
  ReturnValue = DWORD(Status);
}

bool TOperations::ExtractResource(std::vector<TWrittenFile>& written) {
  DoProgress();
  const TResourceData r = MapResource(Module, ResourceName);
  if (!r.Data) {
    Fail(kGetResourceError, r.Error, ERROR_RESOURCE_DATA_NOT_FOUND);
    return false;
  }
  std::string temp;
  THandle file(CreateTempFile(Folder, temp));
  if (!file) {
    Fail(kCreateFileError, GetLastError(), ERROR_CANNOT_MAKE);
    return false;
  }
  bool ok = false;
  try {
    ok = WriteResource(file.Get(), r.Data, r.Size);
  } catch (...) {
    // Closed before the delete, which an open file would refuse.
    CloseTarget(file.Release());
    DeleteFileA(temp.c_str());
    throw;
  }
  // A file that cannot be closed may not hold all its bytes.
  if (!CloseTarget(file.Release()) && ok) {
    Fail(kWriteFileError, GetLastError(), ERROR_WRITE_FAULT);
    ok = false;
  }
  if (ok)
    written.push_back({temp, TargetPath});
  else
    DeleteFileA(temp.c_str());
  return ok;
}

bool TOperations::WriteResource(HANDLE file, const char* data, uint32_t size) {
  for (uint32_t at = 0; at < size;) {
    if (Terminated()) return false;
    const DWORD chunk = std::min(ChunkSize, size - at);
    DWORD written = 0;
    SetLastError(0);
    if (!WriteChunk(file, data + at, chunk, written) || written != chunk) {
      Fail(kWriteFileError, GetLastError(), ERROR_HANDLE_DISK_FULL);
      return false;
    }
    at += chunk;
    Written += chunk;
    Percent = TotalSize ? int32_t(Written * 100 / TotalSize) : 100;
    DoProgress();
  }
  return true;
}

bool TOperations::PlaceWritten(std::vector<TWrittenFile>& written) {
  // A file in use (the program running) stops the copy before any file has
  // changed, instead of after some.
  for (TWrittenFile& f : written) {
    f.New = GetFileAttributesA(f.Target.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (f.New) continue;
    THandle unshared(CreateFileA(f.Target.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (unshared) continue;
    TargetPath = f.Target;
    Fail(kCreateFileError, GetLastError(), ERROR_CANNOT_MAKE);
    return false;
  }
  for (TWrittenFile& f : written) {
    // One step: the target holds its old bytes or the new, never less.
    if (!MoveFileExA(f.Temp.c_str(), f.Target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      TargetPath = f.Target;
      Fail(kCreateFileError, GetLastError(), ERROR_CANNOT_MAKE);
      return false;
    }
    f.Placed = true;
  }
  return true;
}

void TOperations::RemoveLeftovers(const std::vector<TWrittenFile>& written, bool failed) {
  for (const TWrittenFile& f : written)
    if (!f.Placed)
      DeleteFileA(f.Temp.c_str());
    else if (failed && f.New)
      DeleteFileA(f.Target.c_str());
}

void TOperations::Fail(const char* text, DWORD code, DWORD fallbackCode) {
  ErrorText = text;
  ErrorCode = code ? code : fallbackCode;
}

bool TOperations::WriteChunk(HANDLE file, const void* data, DWORD size, DWORD& written) {
  return WriteFile(file, data, size, &written, nullptr);
}

bool TOperations::CloseTarget(HANDLE file) { return CloseHandle(file); }

void TOperations::DoProgress() {
  if (OnProgress) Synchronize([this] { OnProgress(this, Percent); });
}

void TOperations::DoError() {
  if (OnError) Synchronize([this] { OnError(this, ErrorCode, ErrorText); });
}

}  // namespace KvtSetup
