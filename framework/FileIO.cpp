#include "framework/FileIO.h"

#include <windows.h>

#include <cstdint>
#include <new>
#include <utility>

#include "framework/Handles.h"

bool ReadWholeFile(const std::string& path, std::string& data) {
  THandle f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.Get(), &size) || size.QuadPart > 0x7FFF0000) return false;
  try {
    data.assign(static_cast<size_t>(size.QuadPart), '\0');
  } catch (const std::bad_alloc&) {
    return false;  // a file that cannot be held is a file that cannot be read
  }
  size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    if (!ReadFile(f.Get(), data.data() + done, static_cast<DWORD>(data.size() - done), &got,
                  nullptr) ||
        got == 0)
      return false;
    done += got;
  }
  return true;
}

HANDLE CreateFileUnderFreeName(const std::function<std::string(int)>& nameFor, std::string& name,
                               DWORD access, DWORD share, DWORD attributes) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    name = nameFor(attempt);
    HANDLE h = CreateFileA(name.c_str(), access, share, nullptr, CREATE_NEW, attributes, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    // A folder of that name refuses access; any other failure ends the search.
    const DWORD e = GetLastError();
    const bool taken = e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS ||
                       (e == ERROR_ACCESS_DENIED && GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (!taken) break;
  }
  return INVALID_HANDLE_VALUE;
}

namespace {

TWriteFault injectedFault = TWriteFault::None;

// Writes all of data; an injected fault strikes after the first half.
bool WriteAll(HANDLE f, std::string_view data) {
  const TWriteFault fault = data.empty() ? TWriteFault::None : std::exchange(injectedFault, TWriteFault::None);
  const size_t half = fault == TWriteFault::None ? data.size() : data.size() / 2;
  size_t done = 0;
  while (done < data.size()) {
    if (done >= half) {
      if (fault == TWriteFault::Killed) TerminateProcess(GetCurrentProcess(), 9);
      if (fault == TWriteFault::CutButReported) return true;
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    DWORD put = 0;
    if (!WriteFile(f, data.data() + done, static_cast<DWORD>(half - done), &put, nullptr) || put == 0)
      return false;
    done += put;
  }
  return true;
}

}  // namespace

void InjectWriteFault(TWriteFault fault) { injectedFault = fault; }

bool WriteFileReplacing(const std::string& path, std::string_view data) {
  std::string temp;
  {
    THandle f(CreateFileUnderFreeName(
        [&](int n) { return path + ".new" + (n == 0 ? std::string() : std::to_string(n - 1)); }, temp,
        GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL));
    if (!f) return false;
    // A write can report success for bytes that never reached the file: only
    // a file of the full size may replace the old one.
    LARGE_INTEGER size{};
    if (!WriteAll(f.Get(), data) || !FlushFileBuffers(f.Get()) || !GetFileSizeEx(f.Get(), &size) ||
        static_cast<uint64_t>(size.QuadPart) != data.size()) {
      f.Reset();
      DeleteFileA(temp.c_str());
      return false;
    }
  }
  if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temp.c_str());
    return false;
  }
  return true;
}
