#include "framework/FindFiles.h"

#include <cstring>

namespace {

UINT FileCodePage() { return AreFileApisANSI() ? GetACP() : GetOEMCP(); }

// The name in the file calls' code page; false when it does not convert back
// to itself (a "?" then stands for each character that has no form there) or
// does not fit ("?" alone).
bool ToFileCodePage(const WCHAR* name, char (&out)[MAX_PATH]) {
  const UINT codePage = FileCodePage();
  // UTF-8 holds every name but a broken one, and takes no default character.
  const bool utf8 = codePage == CP_UTF8;
  char unknown[] = "?";
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                    name, -1, out, MAX_PATH, utf8 ? nullptr : unknown,
                                    utf8 ? nullptr : &lost);
  if (n <= 0) strcpy(out, "?");
  return n > 0 && !lost;
}

std::wstring Widened(const std::string& text) {
  const UINT codePage = FileCodePage();
  const int chars = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  if (chars <= 0) return {};
  std::wstring wide(size_t(chars), L'\0');
  MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), chars);
  wide.pop_back();
  return wide;
}

// The entry's short name, or "" where the volume keeps none.
std::wstring ShortNameOf(const std::wstring& path) {
  WCHAR full[MAX_PATH];
  const DWORD n = GetShortPathNameW(path.c_str(), full, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  const WCHAR* last = wcsrchr(full, L'\\');
  return last ? last + 1 : full;
}

void NameEntry(const WIN32_FIND_DATAW& found, const std::wstring& folder, WIN32_FIND_DATAA& entry) {
  if (ToFileCodePage(found.cFileName, entry.cFileName)) return;
  const std::wstring shortName = ShortNameOf(folder + found.cFileName);
  char named[MAX_PATH];
  if (!shortName.empty() && ToFileCodePage(shortName.c_str(), named)) strcpy(entry.cFileName, named);
}

}  // namespace

TFindFiles::TFindFiles(const std::string& pattern) {
  const std::wstring wide = Widened(pattern);
  const size_t slash = wide.find_last_of(L"\\/:");
  folder_ = slash == std::wstring::npos ? L"" : wide.substr(0, slash + 1);
  // The wide call, since only the wide name tells a best-fit one from the
  // entry's own; the basic level and large fetch as the bare enumeration.
  find_.Reset(FindFirstFileExW(wide.c_str(), FindExInfoBasic, &found_, FindExSearchNameMatch,
                               nullptr, FIND_FIRST_EX_LARGE_FETCH));
}

bool TFindFiles::Next(WIN32_FIND_DATAA& entry) {
  if (!find_) return false;
  if (!first_ && !FindNextFileW(find_.Get(), &found_)) return false;
  first_ = false;
  entry.dwFileAttributes = found_.dwFileAttributes;
  entry.ftCreationTime = found_.ftCreationTime;
  entry.ftLastAccessTime = found_.ftLastAccessTime;
  entry.ftLastWriteTime = found_.ftLastWriteTime;
  entry.nFileSizeHigh = found_.nFileSizeHigh;
  entry.nFileSizeLow = found_.nFileSizeLow;
  entry.dwReserved0 = found_.dwReserved0;
  entry.dwReserved1 = found_.dwReserved1;
  entry.cAlternateFileName[0] = '\0';
  NameEntry(found_, folder_, entry);
  return true;
}

bool IsUnnamedEntry(const std::string& name) { return name.find_first_of("?*") != std::string::npos; }
