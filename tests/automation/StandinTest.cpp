#include "StandinTest.h"

#include <windows.h>
#include <objbase.h>

#include <fstream>
#include <sstream>

#include "framework/Registry.h"

namespace {

struct TServerClass {
  const char* progId;
  const char* clsid;
};

const TServerClass kClasses[] = {
    {"Word.Application", "{6B2C41A0-5E5F-4C1D-9D21-3A7C0F000001}"},
    {"Excel.Application", "{6B2C41A0-5E5F-4C1D-9D21-3A7C0F000002}"},
    {"PowerPoint.Application", "{6B2C41A0-5E5F-4C1D-9D21-3A7C0F000003}"},
};

std::string ServerDll() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path, n);
  return p.substr(0, p.find_last_of('\\') + 1) + "kvt_standin.dll";
}

void DeleteTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteTree(full);
      else DeleteFileA(full.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

void TStandinTest::SetUp() {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  static int serial = 0;
  dir_ = std::string(tmp) + "kvt_auto_" + std::to_string(GetCurrentProcessId()) + "_" +
         std::to_string(++serial);
  CreateDirectoryA(dir_.c_str(), nullptr);
  SetEnvironmentVariableA("KVT_STANDIN_LOG", Path("calls.log").c_str());
  FailCalls("");
  UserDocuments(0);
  Register();
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
}

void TStandinTest::TearDown() {
  CoUninitialize();
  SetEnvironmentVariableA("KVT_STANDIN_LOG", nullptr);
  DeleteTree(dir_);
}

void TStandinTest::Register() {
  TRegistry reg(HKEY_LOCAL_MACHINE);
  for (const auto& c : kClasses) {
    ASSERT_TRUE(reg.OpenKey(std::string("Software\\Classes\\") + c.progId + "\\CLSID", true));
    reg.WriteString("", c.clsid);
    ASSERT_TRUE(reg.OpenKey(std::string("Software\\Classes\\CLSID\\") + c.clsid + "\\InprocServer32", true));
    reg.WriteString("", ServerDll());
    reg.WriteString("ThreadingModel", "Apartment");
    reg.CloseKey();
  }
}

void TStandinTest::Unregister() {
  TRegistry reg(HKEY_LOCAL_MACHINE);
  for (const auto& c : kClasses) {
    reg.DeleteKey(std::string("Software\\Classes\\") + c.progId + "\\CLSID");
    reg.DeleteKey(std::string("Software\\Classes\\") + c.progId);
    reg.DeleteKey(std::string("Software\\Classes\\CLSID\\") + c.clsid + "\\InprocServer32");
    reg.DeleteKey(std::string("Software\\Classes\\CLSID\\") + c.clsid);
  }
}

void TStandinTest::WriteFile(const std::string& name, const std::string& text) const {
  std::ofstream(Path(name), std::ios::binary) << text;
}

std::string TStandinTest::ReadFile(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> TStandinTest::Log() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFile("calls.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int TStandinTest::LogIndex(const std::string& call) const {
  auto lines = Log();
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == call) return static_cast<int>(i);
  return -1;
}

void TStandinTest::FailCalls(const std::string& calls) {
  SetEnvironmentVariableA("KVT_STANDIN_FAIL", calls.c_str());
}

void TStandinTest::UserDocuments(int count) {
  SetEnvironmentVariableA("KVT_STANDIN_USERDOCS", std::to_string(count).c_str());
}
