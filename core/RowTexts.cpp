#include "core/RowTexts.h"

#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "core/DirRegistry.h"
#include "core/Drives.h"
#include "core/FileUtils.h"
#include "core/Formats.h"
#include "core/ListLock.h"
#include "core/ReadFolder.h"
#include "core/RenameName.h"
#include "core/Selection.h"
#include "core/SharedTexts.h"
#include "core/SortList.h"
#include "core/translator.h"

namespace {

constexpr char NetworkLetter = '\\';

std::string AttributeText(uint32_t attributes) {
  std::string text = "----";
  if (attributes & FILE_ATTRIBUTE_ARCHIVE) text[0] = 'a';
  if (attributes & FILE_ATTRIBUTE_HIDDEN) text[1] = 'h';
  if (attributes & FILE_ATTRIBUTE_READONLY) text[2] = 'r';
  if (attributes & FILE_ATTRIBUTE_SYSTEM) text[3] = 's';
  return text;
}

// Index of the extension in the name (its end without one).
size_t ExtStart(const TFileRecord& e, const std::string& name) {
  return e.ExtOffset < e.NameOffset ? name.size()
                                    : std::min<size_t>(e.ExtOffset - e.NameOffset, name.size());
}

// Bytes of the name before its extension's dot (all of it without one).
size_t StemLength(const TFileRecord& e, const std::string& name) {
  const size_t stem = ExtStart(e, name);
  return stem > 0 && name[stem - 1] == '.' ? stem - 1 : stem;
}

// The renamer's new name, the part before (or after) its last dot.
std::string NewNamePart(const std::string& name, const FILETIME& time, bool extension) {
  std::string newName;
  MakeNewName(name.c_str(), time, newName);
  const size_t dot = newName.rfind('.');
  if (dot == std::string::npos) return extension ? std::string() : newName;
  return extension ? newName.substr(dot + 1) : newName.substr(0, dot);
}

std::string ShellDisplayName(LPCITEMIDLIST idList) {
  SHFILEINFOA info{};
  if (!idList || !SHGetFileInfoA(reinterpret_cast<LPCSTR>(idList), 0, &info, sizeof info,
                                 SHGFI_PIDL | SHGFI_DISPLAYNAME))
    return {};
  return info.szDisplayName;
}

LPITEMIDLIST CloneIdList(LPCITEMIDLIST idList) { return idList ? ILClone(idList) : nullptr; }

// Drops every entry and the directories after the first keep, freeing what
// they own: the records go with a new root.
void DropRecords(TstateOfBrowser& list, int32_t keep) {
  TListLock lock(list);
  if (lock) {
    for (int32_t i = 0; i < list.FileCount; ++i) {
      TFileRecord& r = lock.Files()[i];
      if (r.Flags & FileOwnsIdList) FreeIdList(r.ItemIdList);
    }
    for (uint32_t d = uint32_t(keep) + 1; int64_t(d) <= list.DirCount; ++d) {
      TDirRecord* r = lock.Dir(d);
      if (r->Flags & DirOwnsIdList) FreeIdList(r->ItemIdList);
      *r = TDirRecord{};
    }
  }
  list.FileCount = 0;
  list.DirCount = std::min(list.DirCount, keep);
}

// The list's only directory: a new root (the caller reads it).
bool SetRoot(TstateOfBrowser& list, const std::string& path, LPCITEMIDLIST idList, uint32_t flags,
             int32_t depth) {
  if (!list.Names || (list.DirCapacity < 1 && !GrowDirBlocks(list, DirGrowth))) return false;
  DropRecords(list, 0);
  list.Names->Clear();
  TDirRecord root{nullptr, 0, 0, list.Names->Add(path.c_str()), flags, depth, -1};
  // Each directory owns its item-id list: going up cuts it in place.
  root.ItemIdList = CloneIdList(idList);
  if (root.ItemIdList) root.Flags |= DirOwnsIdList;
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  TBlockLock<uint32_t> order(list.DirOrderBlock);
  if (!dirs) return false;
  dirs[0] = root;
  if (order) order[0] = 1;
  list.DirCount = 1;
  return true;
}

void WriteRoot(TstateOfBrowser& list, const TDirRecord& root) {
  TListLock lock(list);
  if (TDirRecord* d = lock.Dir(1)) *d = root;
}

// Display position of a record, 0 when the run does not show it.
uint32_t PositionOf(const TListLock& lock, uint32_t dir, uint32_t record) {
  const TDirRecord* d = lock.Dir(dir);
  for (uint32_t p = 1; d && p <= d->FileCount; ++p)
    if (lock.RecordAt(dir, p) == record) return p;
  return 0;
}

// The folder opened last could not be read: it stays closed.
void UnlinkLastFolder(TstateOfBrowser& list, uint32_t dir, uint32_t pos) {
  TListLock lock(list);
  if (TFileRecord* e = lock.Entry(dir, pos)) e->Flags &= ~(FileTreeDirMask | FileOpen);
  if (TDirRecord* last = lock.Dir(uint32_t(list.DirCount))) {
    if (last->Flags & DirOwnsIdList) FreeIdList(last->ItemIdList);
    *last = TDirRecord{};
    --list.DirCount;
  }
}

// Carries the states of old directory oldDir to the freshly read newDir.
void CarryStates(TstateOfBrowser& old, uint32_t oldDir, TstateOfBrowser& list, uint32_t newDir) {
  SortDir(newDir, SortByNameOnly, list);
  SortDir(oldDir, SortByNameOnly, old);
  CopyItemStatesByName(old, list, newDir, oldDir);
  SortDir(newDir, list.SortKind, list);
}

}  // namespace

void FlatRowToItem(int32_t row, bool header, uint32_t& dir, TstateOfBrowser& list,
                   uint32_t& pos) {
  if (row < 1) return;
  TListLock lock(list);
  TBlockLock<uint32_t> order(list.DirOrderBlock);
  if (!lock || !order) return;
  int64_t r = row;
  for (int32_t i = 0; i < list.DirCount; ++i) {
    const uint32_t number = order[i];
    const TDirRecord* d = lock.Dir(number);
    if (!d) continue;
    if (header && r-- == 1) {
      dir = number;
      pos = 0;
      return;
    }
    if (r <= int64_t(d->FileCount)) {
      dir = number;
      pos = uint32_t(r);
      return;
    }
    r -= d->FileCount;
  }
}

bool TreeRowToItem(int32_t row, uint32_t& dir, uint32_t& pos, TstateOfBrowser& list) {
  dir = pos = 0;
  TListLock lock(list);
  if (row < 1 || !lock.Dir(1)) return false;
  uint32_t d = 1;
  int64_t p = 1, c = 0;
  // Every step enters or leaves a directory; a consistent tree needs fewer
  // steps than this, so a looping link ends the walk instead of the program.
  for (int64_t steps = 2 * int64_t(list.DirCount) + 2; steps > 0; --steps) {
    const TDirRecord* current = lock.Dir(d);
    const int64_t count = current->FileCount;
    if (p < 1 || p > count) {
      const uint32_t owner = current->Flags & DirTreeFileMask;
      if (d == 1 || owner < 1 || int64_t(owner) > list.FileCount) return false;
      const uint32_t up = lock.Files()[owner - 1].DirNumber;
      const TDirRecord* upper = lock.Dir(up);
      if (!upper || owner <= upper->FirstFile) return false;
      const uint32_t at = PositionOf(lock, up, owner - upper->FirstFile);
      if (!at) return false;
      d = up;
      p = at + 1;
      continue;
    }
    for (int64_t k = p;; ++k) {
      if (++c == row) {
        dir = d;
        pos = uint32_t(k);
        return true;
      }
      const TFileRecord* e = lock.Entry(d, uint32_t(k));
      if (!e) return false;
      if (!IsFolder(*e)) {
        // Files come last: the rest of the directory is one block of rows.
        if (c + (count - k) >= row) {
          dir = d;
          pos = uint32_t(row - c + k);
          return true;
        }
        c += count - k;
        p = 0;
        break;
      }
      const uint32_t sub = e->Flags & FileTreeDirMask;
      if (sub && (e->Flags & FileOpen) && lock.Dir(sub)) {
        d = sub;
        p = 1;
        break;
      }
      if (k == count) {
        p = 0;
        break;
      }
    }
  }
  return false;
}

void GetColumnText(int kind, uint32_t dir, uint32_t pos, std::string& text,
                   TstateOfBrowser& list) {
  text.clear();
  TFileRecord e;
  {
    TListLock lock(list);
    if (!lock.Dir(dir)) return;
    if (pos == 0) {
      if (kind == ColName || kind == ColFullName) text = Tx(TextHeaderRow);
      return;
    }
    const TFileRecord* found = lock.Entry(dir, pos);
    if (!found) return;
    e = *found;
  }
  const std::string stored = list.Names->GetString(e.NameOffset);
  const bool folder = IsFolder(e);
  const bool shell = e.ItemIdList != nullptr;
  std::string shown;
  NormalizeNameCase(stored.c_str(), shown);
  switch (kind) {
    case ColName:
    case ColNameOnly:
      text = folder ? "[" + shown + "]" : shown.substr(0, StemLength(e, shown));
      break;
    case ColExtension:
      if (folder) break;
      text = stored.substr(ExtStart(e, stored));
      if (!text.empty()) CharLowerBuffA(text.data(), DWORD(text.size()));
      break;
    case ColSize:
      if (shell) break;
      if (folder && !(e.Flags & FileSizeKnown))
        text = Tx(TextFolderSize);
      else
        FormatSize(uint32_t(e.Size >> 32), uint32_t(e.Size), text, int64_t(e.Size));
      break;
    case ColTime:
      if (!shell) FileTimeToText(e.LastWriteTime, text);
      break;
    case ColAttributes:
      if (!shell) text = AttributeText(e.Attributes);
      break;
    case ColFullName: text = folder ? "[" + shown + "]" : shown; break;
    case ColNewName:
    case ColNewExtension:
      text = NewNamePart(stored, e.LastWriteTime, kind == ColNewExtension);
      break;
    case ColLocation: text = ShownEntryDirPath(e.DirNumber, list); break;
    case ColStoredName: text = stored; break;
    default: break;
  }
}

void GetItemName(uint32_t dir, uint32_t pos, std::string& name, TstateOfBrowser& list,
                 int32_t& depth) {
  name.clear();
  depth = 0;
  uint32_t nameOffset = 0;
  {
    TListLock lock(list);
    const TDirRecord* d = lock.Dir(dir);
    if (!d) return;
    depth = d->Depth;
    if (pos != 0) {
      const TFileRecord* e = lock.Entry(dir, pos);
      if (!e) return;
      nameOffset = e->NameOffset;
    }
  }
  name = pos == 0 ? GetDirPath(dir, list) + "\\" : list.Names->GetString(nameOffset);
}

int32_t ToggleFolderEntry(uint32_t dir, uint32_t pos, TstateOfBrowser& list) {
  uint32_t link = 0;
  {
    TListLock lock(list);
    const TFileRecord* e = lock.Entry(dir, pos);
    if (!e || !IsFolder(*e)) return -1;
    link = e->Flags & FileTreeDirMask;
  }
  if (link == 0) {
    if (list.DirCount >= list.DirCapacity && !GrowDirBlocks(list, DirGrowth)) return 0;
    const uint32_t k = uint32_t(++list.DirCount);
    if (MakeSubfolderRecord(dir, pos, list, SubfolderTreeLink, list, k)) return int32_t(k);
    --list.DirCount;
    return 0;
  }
  bool open = false;
  {
    TListLock lock(list);
    TFileRecord* e = lock.Entry(dir, pos);
    TDirRecord* sub = lock.Dir(link);
    if (!sub) {
      e->Flags &= ~(FileTreeDirMask | FileOpen);  // a stale link: the folder was never read
      return 0;
    }
    e->Flags ^= FileOpen;
    open = e->Flags & FileOpen;
    // A closed directory keeps its records: reopening shows them unread.
    if (open) sub->Flags |= DirOpen;
  }
  if (!open) {
    CollapseTreeNode(link, list);
    ClearDirSelection(link, 1, list);
  }
  return 0;
}

void CollapseTreeNode(uint32_t dir, TstateOfBrowser& list) {
  TListLock lock(list);
  if (!lock.Dir(dir)) return;
  std::vector<uint32_t> pending{dir};
  // Each directory is closed once: a looping link cannot recurse forever.
  std::vector<bool> closed(size_t(list.DirCount) + 1);
  while (!pending.empty()) {
    const uint32_t d = pending.back();
    pending.pop_back();
    TDirRecord* r = lock.Dir(d);
    if (!r || closed[d]) continue;
    closed[d] = true;
    r->Flags &= ~DirOpen;
    for (uint32_t rec = 1; rec <= r->FileCount; ++rec) {
      TFileRecord* e = lock.Record(d, rec);
      if (!e || !IsFolder(*e) || !(e->Flags & FileOpen)) continue;
      e->Flags &= ~FileOpen;
      if (e->Flags & FileTreeDirMask) pending.push_back(e->Flags & FileTreeDirMask);
    }
  }
}

bool MakeSubfolderRecord(uint32_t parentDir, uint32_t pos, TstateOfBrowser& source,
                         uint32_t mode, TstateOfBrowser& target, uint32_t targetDir) {
  if (targetDir < 1 || int64_t(targetDir) > target.DirCapacity || targetDir > FileTreeDirMask)
    return false;
  TDirRecord parent;
  TFileRecord entry;
  uint32_t record = 0;
  {
    TListLock lock(source);
    const TDirRecord* p = lock.Dir(parentDir);
    record = lock.RecordAt(parentDir, pos);
    if (!p || !record) return false;
    parent = *p;
    entry = *lock.Record(parentDir, record);
  }
  const uint32_t fileNumber = parent.FirstFile + record;
  if ((mode & SubfolderTreeLink) && fileNumber > DirTreeFileMask) return false;
  TDirRecord n{nullptr, 0, uint32_t(target.FileCount), 0, DirOpen, parent.Depth + 1,
               parent.FsLevels};
  std::string path;
  if (parent.Flags & DirShellFolder) {
    n.ItemIdList = CombinePidls(parent.ItemIdList, entry.ItemIdList);
    if (!n.ItemIdList) return false;
    char fsPath[MAX_PATH] = {};
    if (SHGetPathFromIDListA(n.ItemIdList, fsPath) && fsPath[0] && PathExists(fsPath)) {
      n.FsLevels = 0;
      path = fsPath;
    } else {
      n.Flags |= DirShellFolder;
      path = ShellDisplayName(n.ItemIdList);
    }
  } else {
    path = source.Names->GetString(parent.PathOffset) + "\\" +
           source.Names->GetString(entry.NameOffset);
    if (n.FsLevels != -1) ++n.FsLevels;
    n.ItemIdList = CloneIdList(parent.ItemIdList);
  }
  if (n.ItemIdList) n.Flags |= DirOwnsIdList;
  StripTrailingBackslash(path);
  n.PathOffset = target.Names->Add(path.c_str());
  if (n.PathOffset == TTextStorage::NoOffset) {
    FreeIdList(n.ItemIdList);
    return false;
  }
  if (mode & SubfolderTreeLink) {
    n.Flags |= DirOpen | fileNumber;
    TListLock lock(source);
    if (TFileRecord* e = lock.Record(parentDir, record))
      e->Flags = (e->Flags & ~FileTreeDirMask) | FileOpen | targetDir;
  }
  TBlockLock<TDirRecord> dirs(target.DirBlock);
  if (!dirs) {
    FreeIdList(n.ItemIdList);
    return false;
  }
  dirs[targetDir - 1] = n;
  return true;
}

bool RereadKeepingExpanded(TstateOfBrowser& list) {
  if (list.DirCount < 1 || !list.Names) return false;
  TstateOfBrowser old;
  MoveFileList(old, list);
  InitFileList(list, old.DirCount + 1, old.FileCount + 1, old.MaskText,
               int32_t(old.Names->UsedLength));
  // What the pane set on its list stays, the filter above all.
  list.SortKind = old.SortKind;
  list.Filter = old.Filter;
  list.ModeFlags = old.ModeFlags;
  list.DriveIndex = old.DriveIndex;
  list.RowCount = old.RowCount;
  list.CursorName = old.CursorName;
  CopyDirRecord(1, list, 1, old);
  list.DirCount = 1;
  if (!ReadDirEntries(1, ReadFoldersSkipMasks, list)) {
    FreeFileList(list);
    MoveFileList(list, old);
    return false;
  }
  CarryStates(old, 1, list, 1);
  for (uint32_t d = 1; int64_t(d) <= list.DirCount; ++d) {
    for (uint32_t pos = 1;; ++pos) {
      uint32_t oldNumber = 0;
      bool wasOpen = false;
      {
        TListLock lock(list);
        TFileRecord* e = lock.Entry(d, pos);
        if (!e) break;
        if (!IsFolder(*e)) continue;
        // The copied flags hold the old list's link.
        oldNumber = e->Flags & FileTreeDirMask;
        wasOpen = e->Flags & FileOpen;
        e->Flags &= ~(FileTreeDirMask | FileOpen);
      }
      if (!oldNumber || !wasOpen) continue;
      const int32_t k = ToggleFolderEntry(d, pos, list);
      if (k <= 0) continue;
      if (ReadDirEntries(uint32_t(k), ReadFoldersSkipMasks, list))
        CarryStates(old, oldNumber, list, uint32_t(k));
      else
        UnlinkLastFolder(list, d, pos);
    }
  }
  FreeFileList(old);
  return true;
}

bool OpenPathAsRoot(const std::string& path, TstateOfBrowser& list) {
  if (path.empty() || !PathExists(path)) return false;
  if (path[0] == '\\') {
    for (size_t i = 0; i < DriveList.size(); ++i)
      if (DriveList[i]->Letter == NetworkLetter) return OpenDriveRoot(int(i), list);
    return false;
  }
  int32_t depth = int32_t(std::count(path.begin(), path.end(), '\\')) - 1;
  std::string root = path;
  if (root.back() != '\\') ++depth;
  StripTrailingBackslash(root);
  return SetRoot(list, root, nullptr, DirOpen, std::max(depth, 0));
}

bool OpenDriveRoot(int index, TstateOfBrowser& list) {
  const TDriveRecord* drive = DriveAt(DriveList, index);
  if (!drive || !IsDriveReady(drive->Letter, DriveList)) return false;
  const bool shell = drive->ItemIdList != nullptr;
  const std::string path = shell ? std::string(drive->DisplayText) : std::string{drive->Letter, ':'};
  if (!SetRoot(list, path, drive->ItemIdList, shell ? DirOpen | DirShellFolder : DirOpen, 0))
    return false;
  list.DriveIndex = uint16_t(index);
  return true;
}

void GoToParentFolder(TstateOfBrowser& list, std::string& name) {
  name.clear();
  TDirRecord root;
  {
    TListLock lock(list);
    if (!lock.Dir(1)) return;
    root = *lock.Dir(1);
  }
  if (root.Depth <= 0) return;
  const std::string path = list.Names->GetString(root.PathOffset);
  std::string parentPath;
  if (root.ItemIdList && root.FsLevels < 1) {
    if (root.FsLevels == -1) {
      name = path;
    } else {
      root.FsLevels = -1;
      root.Flags |= DirShellFolder;
      name = ShellDisplayName(root.ItemIdList);
    }
    // Cut on a copy, so that a failing shell leaves the folder whole.
    LPITEMIDLIST parent = ILClone(root.ItemIdList);
    if (parent && ILRemoveLastID(parent)) parentPath = ShellDisplayName(parent);
    if (parentPath.empty()) {
      FreeIdList(parent);
      WriteRoot(list, root);
      return;
    }
    if (root.Flags & DirOwnsIdList) FreeIdList(root.ItemIdList);
    root.ItemIdList = parent;
    root.Flags |= DirOwnsIdList;
  } else {
    const size_t at = path.rfind('\\');
    if (at == std::string::npos || at == 0) return;
    name = path.substr(at + 1);
    parentPath = path.substr(0, at);
    if (root.FsLevels > 0) --root.FsLevels;
  }
  DropRecords(list, 1);
  list.Names->Clear();
  root.PathOffset = list.Names->Add(parentPath.c_str());
  root.Depth -= 1;
  root.FileCount = 0;
  root.FirstFile = 0;
  WriteRoot(list, root);
}
