#include "support/WineDrive.h"

#include <cstring>
#include <vector>

#include "framework/Handles.h"

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
  char prefix[MAX_PATH] = "";
  GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
  const std::string name = "kvt_drive_" + std::to_string(GetCurrentProcessId()) + letter;
  folder_ = "C:\\" + name;
  CreateDirectoryA(folder_.c_str(), nullptr);
  DefineWineDrive(letter_, DRIVE_NO_ROOT_DIR, "");
  ok_ = DefineWineDrive(letter_, type, std::string(prefix) + "/drive_c/" + name);
}

TTestDrive::~TTestDrive() {
  Remove();
  RemoveDirectoryA(folder_.c_str());
}

void TTestDrive::Remove() { DefineWineDrive(letter_, DRIVE_NO_ROOT_DIR, ""); }
