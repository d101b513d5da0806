#include "support/FreshProcess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "framework/Handles.h"

namespace {

constexpr UINT kCasePassed = 42;

}  // namespace

DWORD ExitCodeInAFreshProcess(const std::string& test, const std::string& mainArgument) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" " + mainArgument +
                        " --gtest_also_run_disabled_tests --gtest_filter=" + test;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    return ~DWORD(0);
  THandle process(pi.hProcess), thread(pi.hThread);
  if (WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) {
    TerminateProcess(process.Get(), 1);
    return ~DWORD(0);
  }
  DWORD code = 0;
  return GetExitCodeProcess(process.Get(), &code) ? code : ~DWORD(0);
}

bool PassesInAFreshProcess(const std::string& test, const std::string& mainArgument) {
  return ExitCodeInAFreshProcess(test, mainArgument) == kCasePassed;
}

void EndFreshProcessCase() {
  fflush(stdout);
  ExitProcess(testing::Test::HasFailure() ? 1 : kCasePassed);
}
