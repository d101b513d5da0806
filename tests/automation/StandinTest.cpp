#include "StandinTest.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <sstream>

#include "engines/wordModule97.h"
#include "framework/OleAuto.h"
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

}  // namespace

void TStandinTest::SetUp() {
  SetEnvironmentVariableA("KVT_STANDIN_LOG", Path("calls.log").c_str());
  FailCalls("");
  UserDocuments(0);
  Register();
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
}

void TStandinTest::TearDown() {
  CoUninitialize();
  SetEnvironmentVariableA("KVT_STANDIN_LOG", nullptr);
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
  WriteTestFile(Path(name), text);
}

std::string TStandinTest::ReadFile(const std::string& name) const {
  return ReadTestFile(Path(name));
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

int TStandinTest::Count(const std::string& call) const {
  auto lines = Log();
  return static_cast<int>(std::count(lines.begin(), lines.end(), call));
}

void TStandinTest::FailCalls(const std::string& calls) {
  SetEnvironmentVariableA("KVT_STANDIN_FAIL", calls.c_str());
}

void TStandinTest::UserDocuments(int count) {
  SetEnvironmentVariableA("KVT_STANDIN_USERDOCS", std::to_string(count).c_str());
}

void TStandinTest::RunExpecting(TRunEnd end, const std::function<void()>& calls) {
  TRunEnd seen = TRunEnd::Completes;
  std::string why;
  try {
    calls();
  } catch (const EOleError& e) {
    seen = TRunEnd::OleError;
    why = e.what();
  } catch (const EWorkStopped& e) {
    seen = TRunEnd::Stopped;
    why = e.what();
  }
  EXPECT_EQ(int(seen), int(end)) << why;
}
