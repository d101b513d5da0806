#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// What the renamer window sets before a preview or a rename run.
struct TRenamerFileStructure {
  int32_t FileNumber = 1;  // from 1, set by the caller before each name
  int32_t StartAt = 1;
  int32_t Digits = 1;
  int32_t StepBy = 1;
  std::string NameMask;
  bool DoReplace = false;
  std::string SearchFor;
  std::string ReplaceTo;
  int32_t CaseMode = 0;  // 2 lower, 3 upper, 4 first capital, 5 word capitals
};

extern TRenamerFileStructure RenamerFileStructure;

// New name of one file from RenamerFileStructure; lastWrite is UTC.
void MakeNewName(const char* oldName, const FILETIME& lastWrite, std::string& newName);

// first > 0 counts from the start, first < 0 from the end (1-based); second
// >= 1 is a count, 0 means to the end, < 0 is an end position (-second).
void SubstringByRange(const std::string& text, int64_t first, int64_t second,
                      std::string& result);
// Decimal text left-padded with "0" to width; a minus sign stays before the zeros.
void FormatCounter(int64_t value, int32_t width, std::string& text);
void SearchReplaceNoCase(const std::string& text, const std::string& search,
                         const std::string& replace, std::string& result);
void ApplyNameCase(std::string& text, int32_t mode);
