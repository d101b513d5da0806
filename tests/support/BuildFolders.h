#pragma once
#include <string>

// The folder of the running test program (build/<target>/tests\), with its
// trailing backslash.
std::string TestProgramFolder();
// build/<target>\ of a target of the same build tree, with a trailing
// backslash; the running program's own target when target is empty.
std::string BuildFolder(const std::string& target = "");
