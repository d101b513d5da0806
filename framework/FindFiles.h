#pragma once
#include <windows.h>

#include <string>

#include "framework/Handles.h"

// A folder's entries as the ANSI find calls give them, but under names that
// each open their own entry. The ANSI calls give a name outside the code page
// in its best-fit form, which may be the name of another entry ("Ωmega.txt"
// comes as "Omega.txt", beside a real "Omega.txt"): such an entry goes by its
// short name, and without one by its name with the default character, which
// opens nothing (see IsUnnamedEntry). The short names are read only for such
// entries, so a listing costs what the bare enumeration does.
class TFindFiles {
 public:
  // pattern as for FindFirstFileA, its folder part of names this class gave.
  explicit TFindFiles(const std::string& pattern);
  // The next entry ("." and ".." among them); false at the end.
  bool Next(WIN32_FIND_DATAA& entry);

 private:
  TFindHandle find_;
  WIN32_FIND_DATAW found_{};
  std::wstring folder_;
  bool first_ = true;
};

// A name that stands for no file: one that holds a wildcard, as an entry
// TFindFiles could not name does. Acting on it would act on every file the
// wildcard matches.
bool IsUnnamedEntry(const std::string& name);
