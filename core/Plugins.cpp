#include "core/Plugins.h"

#include <windows.h>

#include "core/FileUtils.h"
#include "framework/FindFiles.h"
#include "framework/Handles.h"
#include "framework/Registry.h"

std::unique_ptr<TStringList> PluginList;

namespace {

using TGetPluginTitle = const char* (*)();

// The title a library gives, copied before the library goes; "" when it
// cannot be loaded, lacks the export or gives no text.
std::string TitleFromLibrary(const std::string& path) {
  HMODULE module;
  {
    // A damaged file must not bring up the system's box about a bad image.
    TQuietErrors quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    module = LoadLibraryA(path.c_str());
  }
  // A module handle is an address: only nullptr means failure.
  if (!module) return "";
  std::string title;
  if (auto get = reinterpret_cast<TGetPluginTitle>(
          reinterpret_cast<void*>(GetProcAddress(module, "GetPluginTitle"))))
    if (const char* text = get()) title = text;
  FreeLibrary(module);
  return title;
}

}  // namespace

std::string ReadPluginTitleCache(const std::string& fileName) {
  TRegistry reg(HKEY_CURRENT_USER, KEY_READ);
  if (!reg.OpenKeyReadOnly(std::string(PluginTitleCacheKey) + "\\" + fileName)) return "";
  return reg.ReadString("").value_or("");
}

void WritePluginTitleCache(const std::string& fileName, const std::string& title) {
  TRegistry reg(HKEY_CURRENT_USER, KEY_READ | KEY_WRITE);
  if (reg.OpenKey(std::string(PluginTitleCacheKey) + "\\" + fileName, true)) reg.WriteString("", title);
}

void AddPluginItem(const std::string& title, const std::string& folder, const std::string& fileName,
                   TMenuItem& menu, const TPluginClick& onClick) {
  const WORD digit = static_cast<WORD>('0' + PluginList->Count());
  TMenuItem* item = menu.Add(title, nullptr, ShortCut(digit, scCtrl | scShift));
  item->OnClick = [item, onClick] {
    if (onClick) onClick(*item);
  };
  PluginList->Add(folder + fileName);
}

void AddPluginMenuItem(const std::string& folder, const std::string& fileName, TMenuItem& menu,
                       const TPluginClick& onClick) {
  if (PluginList->Count() >= MaxPlugins) return;
  std::string title = ReadPluginTitleCache(fileName);
  if (!title.empty()) {
    AddPluginItem(title, folder, fileName, menu, onClick);
    return;
  }
  title = TitleFromLibrary(folder + fileName);
  // A plug-in that names nothing gets no item, and nothing is cached for it.
  if (title.empty()) return;
  AddPluginItem(title, folder, fileName, menu, onClick);
  WritePluginTitleCache(fileName, title);
}

void FindPlugins(TMenuItem& menu, const TPluginClick& onClick) {
  if (PluginList) return;
  PluginList = std::make_unique<TStringList>();
  char current[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
  if (n == 0 || n >= MAX_PATH) return;
  const std::string folder = JoinPath(current, "");
  TFindFiles find(folder + "*.plgn");
  WIN32_FIND_DATAA fd;
  while (find.Next(fd)) {
    // The dot entries can stand anywhere in an enumeration, not only first.
    if (IsDotEntry(fd.cFileName) || (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    AddPluginMenuItem(folder, fd.cFileName, menu, onClick);
  }
}
