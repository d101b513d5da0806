#pragma once
#include <windows.h>

#include <string>

// Some states exist only once per process (synchronised calls not yet set
// up, a cache never made): a case for them runs as a disabled test of the
// same program in a process of its own, and ends with EndFreshProcessCase.

// Runs the disabled test (Suite.DISABLED_Name) alone in a new process of
// this program, with an argument for the test main before the test's flags;
// true when it ran and passed.
bool PassesInAFreshProcess(const std::string& test, const std::string& mainArgument = "");
// The exit code of such a run (one that ends itself otherwise than passing);
// ~0 when it could not be started or did not end within a minute.
DWORD ExitCodeInAFreshProcess(const std::string& test, const std::string& mainArgument = "");
// Ends the process of such a case with its verdict. A filter that matched
// nothing ends with 0, hence an exit code of its own.
[[noreturn]] void EndFreshProcessCase();
