#include "engines/PerformRename.h"

#include "core/FileUtils.h"
#include "core/ListLock.h"
#include "core/RenameName.h"
#include "core/SelectedItem.h"
#include "engines/ReplacerBase.h"

namespace {

bool SameText(const std::string& a, const std::string& b, DWORD flags) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, flags, a.data(), int(a.size()), b.data(),
                        int(b.size())) == CSTR_EQUAL;
}

// The entry's location as the lists show it, ending with a backslash.
std::string FolderOf(const TFileRecord& entry, TstateOfBrowser& list) {
  std::string folder;
  CapitalizePath(EntryDirPath(entry.DirNumber, list), folder);
  if (!folder.empty()) CharUpperBuffA(folder.data(), 1);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

void ForceFolders(const std::string& folder, const std::string& newName) {
  for (size_t at = newName.find('\\'); at != std::string::npos; at = newName.find('\\', at + 1))
    CreateDirectoryA((folder + newName.substr(0, at)).c_str(), nullptr);
}

bool MoveFileNoReplace(const std::string& oldPath, const std::string& newPath) {
  if (!SameText(oldPath, newPath, NORM_IGNORECASE))
    return MoveFileA(oldPath.c_str(), newPath.c_str());
  uint32_t number = 0;
  const std::string temp = TempFileNameFor(oldPath, number);
  if (!MoveFileA(oldPath.c_str(), temp.c_str())) return false;
  if (MoveFileA(temp.c_str(), newPath.c_str())) return true;
  MoveFileA(temp.c_str(), oldPath.c_str());
  return false;
}

void TRenamer::Execute() {
  FinalState = 0;
  try {
    int32_t count = 0;
    TFileRecord entry;
    for (uint32_t dir = 1, pos = 1; Plan && SourceList && !Terminated() && NextEntry(dir, pos, entry);) {
      // Shell-namespace items have no path to rename.
      if (!entry.ItemIdList) RenameEntry(entry, ++count);
    }
  } catch (...) {
    // A failing event ends the job like a stop.
    Terminate();
  }
  FinalState = Terminated() ? 1 : 2;
  ReturnValue = DWORD(FinalState);
}

// A copy of the plan's entry at dir and pos, which then move on to the
// next. The plan is locked only for the copy: the synchronised calls of a
// rename run window code, and a pointer held across them could be left
// behind by a block that moved.
bool TRenamer::NextEntry(uint32_t& dir, uint32_t& pos, TFileRecord& entry) {
  TListLock plan(*Plan);
  for (; plan && int64_t(dir) <= Plan->DirCount; ++dir, pos = 1) {
    while (pos <= plan.Dir(dir)->FileCount) {
      const TFileRecord* found = plan.Entry(dir, pos++);
      if (!found) continue;
      entry = *found;
      return true;
    }
  }
  return false;
}

void TRenamer::RenameEntry(const TFileRecord& entry, int32_t number) {
  const std::string oldName = Plan->Names->GetString(entry.NameOffset);
  const std::string folder = FolderOf(entry, *Plan);
  RenamerFileStructure.FileNumber = number;
  std::string newName;
  MakeNewName(oldName.c_str(), entry.LastWriteTime, newName);
  ForceFolders(folder, newName);
  const std::string oldPath = folder + oldName;
  Result = rrFailed;
  // Case-sensitive: a change of letter case is a real rename.
  if (SameText(oldName, newName, 0))
    Result = rrUnchanged;
  else if (!newName.empty() && MoveFileNoReplace(oldPath, folder + newName))
    Result = rrChanged;
  Message = newName + " - " + oldPath;
  const uint32_t record = entry.Tag;
  const bool gone = Result == rrFailed && !PathExists(oldPath);
  Synchronize([&] {
    MarkSource(record, gone, newName);
    CallFileDone();
  });
  Synchronize([this] { CallProgress(); });
}

void TRenamer::MarkSource(uint32_t record, bool gone, const std::string& newName) {
  if (record < 1 || int64_t(record) > SourceList->FileCount) return;
  TBlockLock<TFileRecord> files(SourceList->FileBlock);
  if (!files) return;
  TFileRecord& r = files[record - 1];
  r.Flags &= ~(FileMarked | FileMarkedRight);
  if (Result == rrChanged) {
    r.GroupNumber = fsSuccessful;
    SetEntryName(r, *SourceList, newName.c_str());
  } else if (Result == rrUnchanged) {
    r.GroupNumber = fsUnchanged;
  } else {
    r.GroupNumber = fsFailed;
    if (gone) r.Flags |= FileRemove;
  }
}

void TRenamer::CallFileDone() {
  if (OnFileDone) OnFileDone(this, Message);
}

void TRenamer::CallProgress() {
  if (OnProgress) OnProgress(this, Result);
}
