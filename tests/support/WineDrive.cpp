#include "support/WineDrive.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"

namespace {

// The mount manager's request to define a Unix drive.
struct TUnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
constexpr DWORD DefineUnixDriveCode =
    CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// The Unix path of a path on drive C: of the test prefix.
std::string UnixPath(const std::string& path) {
  char prefix[MAX_PATH] = "";
  GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
  std::string result = std::string(prefix) + "/drive_c/" + path.substr(3);
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

// Wine starts a program named by its Unix path as a Unix process, but its
// handle does not wait for it: the shell writes the exit code to a file,
// under its final name only once it is whole.
bool RunUnix(const std::string& command) {
  static int runs = 0;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string status =
      std::string(temp) + "kvt_unix_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(runs++);
  const std::string unixStatus = UnixPath(status);
  std::string line = "/bin/sh -c \"" + command + "; echo $? >" + unixStatus + ".new && mv " + unixStatus +
                     ".new " + unixStatus + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  THandle process(pi.hProcess), thread(pi.hThread);
  const bool ended = PumpUntil([&] { return GetFileAttributesA(status.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
  const std::string code = ReadTestFile(status);
  DeleteFileA(status.c_str());
  return ended && code == "0\n";
}

}  // namespace

bool DefineWineDrive(char letter, UINT type, const std::string& unixFolder) {
  std::vector<char> buf(sizeof(TUnixDriveRequest) + unixFolder.size() + 1);
  auto* req = reinterpret_cast<TUnixDriveRequest*>(buf.data());
  req->size = static_cast<ULONG>(buf.size());
  req->type = type;
  req->letter = static_cast<WCHAR>(letter);
  if (!unixFolder.empty()) {
    req->mountPointOffset = sizeof(TUnixDriveRequest);
    memcpy(buf.data() + sizeof(TUnixDriveRequest), unixFolder.c_str(), unixFolder.size() + 1);
  }
  THandle manager(CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr));
  DWORD n = 0;
  return manager && DeviceIoControl(manager.Get(), DefineUnixDriveCode, buf.data(),
                                    static_cast<DWORD>(buf.size()), nullptr, 0, &n, nullptr);
}

TTestDrive::TTestDrive(char letter, UINT type) : letter_(letter) {
  folder_ = "C:\\kvt_drive_" + std::to_string(GetCurrentProcessId()) + letter;
  CreateDirectoryA(folder_.c_str(), nullptr);
  DefineWineDrive(letter_, DRIVE_NO_ROOT_DIR, "");
  ok_ = DefineWineDrive(letter_, type, UnixPath(folder_));
}

TTestDrive::~TTestDrive() {
  Remove();
  RemoveDirectoryA(folder_.c_str());
}

void TTestDrive::Remove() { DefineWineDrive(letter_, DRIVE_NO_ROOT_DIR, ""); }

TSmallDisk::TSmallDisk(const std::string& folder, uint64_t size, bool readOnly) : folder_(folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  unixFolder_ = UnixPath(folder);
  ok_ = RunUnix("/bin/mount -t tmpfs -o " + std::string(readOnly ? "ro," : "") +
                "size=" + std::to_string(size) + " tmpfs " + unixFolder_);
}

TSmallDisk::~TSmallDisk() {
  // Lazily: the Wine server may still hold a folder of it open.
  if (ok_) RunUnix("/bin/umount -l " + unixFolder_);
  RemoveDirectoryA(folder_.c_str());
}
