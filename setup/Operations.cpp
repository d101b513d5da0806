#include "setup/Operations.h"

#include <algorithm>

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

}  // namespace

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
  try {
    for (size_t n = 1; n <= FileList.size(); ++n)
      TotalSize += GetResourceSize("file" + std::to_string(n), Module);
    bool ok = true;
    for (size_t n = 1; n <= FileList.size() && ok && !Terminated(); ++n) {
      TargetPath = Folder + FileList[n - 1];
      ResourceName = "file" + std::to_string(n);
      ok = ExtractResource();
    }
    if (Terminated())
      Status = stCancelled;
    else if (ok)
      Status = stDone;
    else {
      Status = stFailed;
      DoError();
    }
  } catch (...) {
    // A throwing event ends the copy as failed; the thread keeps the exception.
    Status = stFailed;
    throw;
  }
  ReturnValue = DWORD(Status);
}

bool TOperations::ExtractResource() {
  DoProgress();
  const TResourceData r = MapResource(Module, ResourceName);
  if (!r.Data) {
    Fail(kGetResourceError, r.Error, ERROR_RESOURCE_DATA_NOT_FOUND);
    return false;
  }
  HANDLE file = CreateFileA(TargetPath.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail(kCreateFileError, GetLastError(), ERROR_CANNOT_MAKE);
    return false;
  }
  bool ok = false;
  try {
    ok = WriteResource(file, r.Data, r.Size);
  } catch (...) {
    CloseTarget(file);
    DeleteFileA(TargetPath.c_str());
    throw;
  }
  // A file that cannot be closed may not hold all its bytes.
  if (!CloseTarget(file) && ok) {
    Fail(kWriteFileError, GetLastError(), ERROR_WRITE_FAULT);
    ok = false;
  }
  if (!ok) DeleteFileA(TargetPath.c_str());
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
