#include "core/ShellActions.h"

#include <shellapi.h>

#include "core/FileUtils.h"
#include "core/ListLock.h"
#include "core/ReadFolder.h"
#include "core/SharedTexts.h"
#include "core/translator.h"
#include "framework/Dialogs.h"
#include "framework/OleAuto.h"

namespace {

// The entry and its real folder, copied out of the list.
struct TEntryPlace {
  TFileRecord Entry{};
  TDirRecord Dir{};
  std::string DirPath;
  std::string Name;
  std::string FullPath() const { return DirPath + "\\" + Name; }
  // The shell takes a working folder unquoted: a quoted one it ignores.
  std::string WorkingFolder() const { return DirPath + "\\"; }
};

bool FindEntry(uint32_t dir, uint32_t pos, TstateOfBrowser& list, TEntryPlace& place) {
  if (pos == 0) return false;
  {
    TListLock lock(list);
    const TFileRecord* e = lock.Entry(dir, pos);
    if (!e) return false;
    place.Entry = *e;
  }
  if (!EntryDirRecord(place.Entry.DirNumber, list, place.Dir)) return false;
  place.DirPath = list.Names->GetString(place.Dir.PathOffset);
  place.Name = list.Names->GetString(place.Entry.NameOffset);
  return true;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

void ReportNotFound(UINT icon) { ShowMessageBox(ShellOwnerWindow, Tx(TextFileNotFound), Tx(TextError), MB_OK | icon); }

// The list's root folder, unless it is a shell-namespace folder.
bool FileSystemRoot(TstateOfBrowser& list, std::string& root) {
  TListLock lock(list);
  const TDirRecord* d = lock.Dir(1);
  if (!d || (d->Flags & DirShellFolder)) return false;
  root = list.Names->GetString(d->PathOffset);
  return true;
}

// An item-id list parsed by a shell folder; none on failure.
void ParseName(IShellFolder* folder, const std::string& name, TItemIdList& ids) {
  std::wstring wide = AnsiToWide(name);
  LPITEMIDLIST parsed = nullptr;
  if (SUCCEEDED(folder->ParseDisplayName(ShellOwnerWindow, nullptr, wide.data(), nullptr, &parsed, nullptr)))
    ids.Reset(parsed);
}

void ShellExecuteIdList(const char* verb, LPCITEMIDLIST dirIds, LPCITEMIDLIST itemIds) {
  TItemIdList full(CombinePidls(dirIds, itemIds));
  if (!full) return;
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = ShellOwnerWindow;
  info.lpVerb = verb;
  info.lpIDList = full.Get();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExA(&info);
}

// Clears the grid's slot however the menu ends.
struct TMenuHandlerSlot {
  IContextMenu2*& slot;
  ~TMenuHandlerSlot() { slot = nullptr; }
};

}  // namespace

bool ExecuteFileEntry(uint32_t dir, uint32_t pos, TstateOfBrowser& list) {
  TEntryPlace e;
  if (!FindEntry(dir, pos, list, e) || IsFolder(e.Entry)) return false;
  if (e.Entry.ItemIdList) {
    ShellExecuteIdList(nullptr, e.Dir.ItemIdList, e.Entry.ItemIdList);
  } else if (PathExists(e.FullPath())) {
    ShellExecuteA(ShellOwnerWindow, nullptr, e.FullPath().c_str(), nullptr, e.WorkingFolder().c_str(),
                  SW_SHOWNORMAL);
  } else {
    ReportNotFound(MB_ICONINFORMATION);
  }
  return true;
}

void ViewOrEditFile(uint32_t dir, uint32_t pos, TstateOfBrowser& list, bool editor) {
  TEntryPlace e;
  if (!FindEntry(dir, pos, list, e)) return;
  if (!PathExists(e.FullPath())) {
    ReportNotFound(0);
    return;
  }
  if (IsFolder(e.Entry)) {
    ShellExecuteA(ShellOwnerWindow, "open", Quoted(e.FullPath()).c_str(), nullptr, e.WorkingFolder().c_str(),
                  SW_SHOWNORMAL);
    return;
  }
  const std::string& program = editor ? EditorPath : ViewerPath;
  ShellExecuteA(ShellOwnerWindow, "open", program.c_str(), Quoted(e.FullPath()).c_str(), e.WorkingFolder().c_str(),
                SW_SHOWNORMAL);
}

bool EditNewFile(const std::string& name, TstateOfBrowser& list) {
  std::string root;
  if (!FileSystemRoot(list, root)) return false;
  const std::string full = root + "\\" + name;
  {
    // Made only when missing, in one step: a file that exists, or appears
    // meanwhile, is opened as it is and never truncated.
    THandle made(CreateFileA(full.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!made && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  ShellExecuteA(ShellOwnerWindow, "open", EditorPath.c_str(), Quoted(full).c_str(), (root + "\\").c_str(),
                SW_SHOWNORMAL);
  return true;
}

bool CreateSubfolder(const std::string& name, TstateOfBrowser& list) {
  std::string root;
  return FileSystemRoot(list, root) && CreateDirectoryA((root + "\\" + name).c_str(), nullptr);
}

void ShowFileProperties(uint32_t dir, uint32_t pos, TstateOfBrowser& list) {
  TEntryPlace e;
  if (!DesktopFolder || !FindEntry(dir, pos, list, e)) return;
  if (e.Dir.ItemIdList && e.Entry.ItemIdList) {
    ShellExecuteIdList("properties", e.Dir.ItemIdList, e.Entry.ItemIdList);
    return;
  }
  const std::string folder = e.WorkingFolder();
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = ShellOwnerWindow;
  info.lpVerb = "properties";
  info.lpFile = e.Name.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExA(&info);
}

void ShowShellContextMenu(HWND grid, IContextMenu2*& icm, const TShellVerbHook& verbHook, int x, int y,
                          uint32_t dir, uint32_t pos, TstateOfBrowser& list) {
  TEntryPlace e;
  if (!DesktopFolder || !FindEntry(dir, pos, list, e)) return;
  TItemIdList parsedDir, parsedItem;
  LPCITEMIDLIST dirIds = e.Dir.ItemIdList;
  if (!dirIds || !e.Entry.ItemIdList) {
    if (!PathExists(e.FullPath())) {
      ReportNotFound(MB_ICONINFORMATION);
      return;
    }
    // A drive's stored path has no backslash; the shell wants its root.
    ParseName(DesktopFolder, !e.DirPath.empty() && e.DirPath.back() == ':' ? e.WorkingFolder() : e.DirPath, parsedDir);
    dirIds = parsedDir.Get();
    if (!dirIds) return;
  }
  TComPtr<IShellFolder> folder;
  if (dirIds->mkid.cb == 0)
    folder = TComPtr<IShellFolder>::Share(DesktopFolder);
  else if (FAILED(DesktopFolder->BindToObject(dirIds, nullptr, IID_IShellFolder, folder.Put())))
    return;
  LPCITEMIDLIST item = e.Entry.ItemIdList;
  if (!item) {
    ParseName(folder.Get(), e.Name, parsedItem);
    item = parsedItem.Get();
    if (!item) return;
  }
  TComPtr<IContextMenu> menu;
  if (FAILED(folder->GetUIObjectOf(ShellOwnerWindow, 1, &item, IID_IContextMenu, nullptr, menu.Put()))) return;
  TMenuHandle popup(CreatePopupMenu());
  if (!popup || FAILED(menu->QueryContextMenu(popup.Get(), 0, 1, 0x7FFF, CMF_EXPLORE))) return;
  UINT command = 0;
  {
    TComPtr<IContextMenu2> handler;
    menu->QueryInterface(IID_IContextMenu2, handler.Put());
    TMenuHandlerSlot slot{icm};
    icm = handler.Get();
    command = UINT(TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, grid, nullptr));
  }
  if (command == 0) return;
  // Left unwritten by a command without a verb or a failed lookup.
  char verb[260] = {};
  menu->GetCommandString(command - 1, GCS_VERBA, nullptr, verb, sizeof verb);
  verb[sizeof verb - 1] = '\0';
  if (verbHook && verbHook(verb)) return;
  // The shell tells the record's kind by its size: 36 bytes is right only on
  // the 32-bit target.
  static_assert(sizeof(CMINVOKECOMMANDINFO) == (sizeof(void*) == 8 ? 56 : 36));
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = grid;
  info.lpVerb = MAKEINTRESOURCEA(command - 1);
  info.nShow = SW_SHOWNORMAL;
  menu->InvokeCommand(&info);
}
