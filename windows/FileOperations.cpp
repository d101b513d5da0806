#include "windows/FileOperations.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/DirRegistry.h"
#include "core/FileUtils.h"
#include "core/Formats.h"
#include "core/ListLock.h"
#include "core/ReadFolder.h"
#include "core/SharedTexts.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "engines/PerformRename.h"
#include "framework/FileIO.h"
#include "framework/FindFiles.h"
#include "framework/SystemError.h"
#include "windows/SelectionWalk.h"

namespace {

constexpr uint32_t kBufferSize = 365000;
constexpr DWORD kReportInterval = 50;  // ms: about 20 reports a second
// The recycle bin's delete: silent, no confirmation, undo; but never for good
// without asking when the bin cannot take the file.
constexpr FILEOP_FLAGS kRecycleFlags = 0x4054;
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::atomic<OperationsTesting::TFault> injectedFault{OperationsTesting::TFault::None};
std::atomic<DWORD> chunkDelay{0};
std::atomic<OperationsTesting::TStep> killStep{OperationsTesting::TStep::None};

bool Hit(OperationsTesting::TFault f) { return injectedFault.load() == f; }

void KillPoint(OperationsTesting::TStep step) {
  if (killStep.load() == step) TerminateProcess(GetCurrentProcess(), OperationsTesting::KilledExitCode);
}

bool SameText(const std::string& a, const std::string& b) {
  return CompareNames(a.data(), uint32_t(a.size()), b.data(), uint32_t(b.size())) == 0;
}

std::string FullPath(const std::string& path) {
  std::string full(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetFullPathNameA(path.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (n == 0) return path;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  while (full.size() > 3 && full.back() == '\\') full.pop_back();
  return full;
}

// The volume and file index that name a file or folder whatever its path.
struct TFileId {
  uint64_t Volume = 0, Low = 0, High = 0;
  bool operator==(const TFileId&) const = default;
};

// The file id from the handle alone where the system has it (under Wine the
// device and inode); else the volume serial and file index, which Wine
// fetches from its mount manager at a round trip's cost.
bool FileIdOf(const std::string& path, TFileId& id) {
  THandle h(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return false;
  // FILE_ID_INFO of FileIdInfo (18), newer than the headers' system version.
  struct {
    ULONGLONG Volume;
    BYTE Identifier[16];
  } fileId;
  if (GetFileInformationByHandleEx(h.Get(), FILE_INFO_BY_HANDLE_CLASS(18), &fileId, sizeof fileId)) {
    memcpy(&id.Low, fileId.Identifier, 8);
    memcpy(&id.High, fileId.Identifier + 8, 8);
    id.Volume = fileId.Volume;
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h.Get(), &info)) return false;
  id = {info.dwVolumeSerialNumber, (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow, 0};
  return true;
}

// Attributes, times and size of an open file. Not GetFileInformationByHandle:
// under Wine its volume serial costs a round trip to the mount manager,
// which doubled the time of copying small files.
bool ReadFileInfo(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
  FILE_BASIC_INFO basic;
  LARGE_INTEGER size;
  if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileSizeEx(h, &size))
    return false;
  info = {};
  info.dwFileAttributes = basic.FileAttributes;
  auto time = [](const LARGE_INTEGER& t) { return FILETIME{t.LowPart, DWORD(t.HighPart)}; };
  info.ftCreationTime = time(basic.CreationTime);
  info.ftLastAccessTime = time(basic.LastAccessTime);
  info.ftLastWriteTime = time(basic.LastWriteTime);
  info.nFileSizeHigh = DWORD(size.QuadPart >> 32);
  info.nFileSizeLow = DWORD(size.QuadPart);
  return true;
}

uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool ValidName(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

std::string Description(const BY_HANDLE_FILE_INFORMATION& info) {
  std::string size, time;
  FormatSize(info.nFileSizeHigh, info.nFileSizeLow, size, 0);
  FileTimeToText(info.ftLastWriteTime, time);
  std::string text = "   ";
  text += size;
  text += Tx(TextBytes);
  return text += time;
}

void DeleteForGood(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

// Beside the target: its name and a number, which tells whose copy a left
// over one was; the number alone where that would be too long for a path
// or a name.
std::string TemporaryName(const std::string& target, int n) {
  const std::string suffix = "." + std::to_string(n) + ".kvt";
  const std::string folder = FolderOf(target);
  if (target.size() + suffix.size() < MAX_PATH && target.size() - folder.size() + suffix.size() <= 255)
    return target + suffix;
  return folder + "~" + std::to_string(n) + ".kvt";
}

// Renames an open file (opened with DELETE access) without replacing one.
// The record holds the name in UTF-16 only: converted as the ANSI file
// calls convert it.
bool RenameOpenFile(HANDLE file, const std::string& path) {
  const UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
  const int chars = MultiByteToWideChar(codePage, 0, path.c_str(), -1, nullptr, 0);
  if (chars <= 0) return false;
  std::vector<BYTE> block(offsetof(FILE_RENAME_INFO, FileName) + size_t(chars) * sizeof(WCHAR));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
  info->FileNameLength = DWORD(chars - 1) * sizeof(WCHAR);
  MultiByteToWideChar(codePage, 0, path.c_str(), -1, info->FileName, chars);
  return SetFileInformationByHandle(file, FileRenameInfo, info, DWORD(block.size()));
}

}  // namespace

std::string QuestionCaption(const TOperationQuestion& q) {
  switch (q.Kind) {
    case qkTargetExists: return Tx(TextOverwriteConfirmation);
    case qkError: return q.Caption;
    case qkCannotCreate: return Tx(TextCreateFolderError);
    default: return Tx(TextWarning);
  }
}

std::string QuestionMessage(const TOperationQuestion& q) {
  switch (q.Kind) {
    case qkTargetExists:
      return FormatTx(TextOverwriteWith, {q.FirstPath, q.FirstDetail, q.SecondPath, q.SecondDetail});
    case qkError: return FormatTx(TextFileError, {q.FirstPath, q.FirstDetail});
    case qkAttribute: return FormatTx(q.DeleteWording ? TextDeleteAnyway : TextOverwriteFile, {q.FirstPath, q.FirstDetail});
    case qkCannotCreate: return FormatTx(TextCannotCreateFolder, {q.FirstPath, q.FirstDetail});
    default: return FormatTx(TextFolderNotEmpty, {q.FirstPath});
  }
}

TOperations::TOperations() : shown_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

void TOperations::RequestStop() {
  Terminate();
  SetEvent(shown_.Get());
}

// ---------------------------------------------------------------- reports

void TOperations::SyncNames(bool force) {
  namesDirty_ = true;
  Flush(force);
}

void TOperations::SyncProgress(bool force) {
  progressDirty_ = true;
  Flush(force);
}

// The lines and gauges go out at most about 20 times a second, posted to
// the window thread rather than waited for: a busy window thread never holds
// up the copy. Before a question, a message and at the end they are shown at
// once, so the window is never behind then.
void TOperations::Flush(bool force) {
  if (!View || (!namesDirty_ && !progressDirty_)) return;
  const DWORD now = GetTickCount();
  if (!force && now - lastReport_ < kReportInterval) return;
  lastReport_ = now;
  int overall = 100;
  if (Code == opCopy || (Code == opMove && !SameDrive)) {
    if (TotalBytes) overall = int(std::min<uint64_t>(BytesDone * 100 / TotalBytes, 100));
  } else if (TotalFiles) {
    overall = int(std::min<uint64_t>(uint64_t(FilesDone) * 100 / TotalFiles, 100));
  }
  overallPercent_ = overall;
  std::string from, to;
  if (namesDirty_) {
    CapitalizePath(currentSource_, from);
    if (Code == opCopy || Code == opMove) CapitalizePath(currentTarget_, to);
  }
  bool post;
  {
    TLock lock(reportLock_);
    if (namesDirty_) {
      report_.Names = true;
      report_.FromPrefix = Code == opDelete           ? TextDeletePrefix
                           : Code == opSendToBasket    ? TextSendPrefix
                           : Code == opRemoveFromBasket ? TextRemovePrefix
                                                        : TextFromPrefix;
      report_.From = std::move(from);
      report_.To = std::move(to);
    }
    if (progressDirty_) {
      report_.Progress = true;
      report_.Overall = overall;
      report_.Current = currentPercent_;
    }
    post = !force && !report_.Posted;
    report_.Posted = report_.Posted || post;
  }
  namesDirty_ = progressDirty_ = false;
  if (force)
    Synchronize([this] { ShowReport(); });
  else if (post)
    Queue([this] { ShowReport(); });
}

// The latest lines and gauges, once however many reports came meanwhile.
void TOperations::ShowReport() {
  TReport r;
  {
    TLock lock(reportLock_);
    r = report_;
    report_.Names = report_.Progress = report_.Posted = false;
  }
  if (r.Names) View->ShowNames(Tx(r.FromPrefix), r.From, r.To.empty() ? "" : Tx(TextToPrefix), r.To);
  if (r.Progress) View->ShowProgress(r.Overall, r.Current);
}

int TOperations::AskUser(int kind, uint32_t subKind, uint32_t detail,
                         const std::string& detailText) {
  // Once a stop is asked for, the pending step counts as Cancel.
  if (Terminated() || !View) return qrCancel;
  Flush(true);
  // A copy asks about its target, but for the steps that read the source;
  // a delete about the file or folder it deletes.
  const bool aboutTarget = (kind == 1 && (subKind == 0 || subKind == skReplace || subKind == skCreate)) ||
                           (kind == 2 && subKind == skCannotCreate);
  TOperationQuestion q;
  q.SubKind = subKind;
  q.Detail = detail;
  CapitalizePath(aboutTarget ? currentTarget_ : currentSource_, q.FirstPath);
  if (kind == 2 && subKind == skNotRemoved) {
    Inform(FormatTx(TextFolderNotDeleted, {q.FirstPath}), MB_ICONERROR);
    return qrNo;
  }
  if (kind == 2) {
    q.Kind = subKind == skCannotCreate ? qkCannotCreate : qkNotEmpty;
    if (subKind == skCannotCreate) ShowSystemError(false, detail, q.FirstDetail, "", "");
  } else if (subKind) {
    q.Kind = qkError;
    q.Caption = Tx(kind == 3 ? TextDeleteError : TextCopyError) + std::to_string(subKind);
    q.FirstDetail = detailText;
    if (detailText.empty()) ShowSystemError(false, detail, q.FirstDetail, "", "");
  } else if (detail == 2) {
    q.Kind = qkTargetExists;
    q.FirstDetail = targetDescription_;
    CapitalizePath(currentSource_, q.SecondPath);
    q.SecondDetail = sourceDescription_;
  } else {
    q.Kind = qkAttribute;
    q.DeleteWording = kind == 3;
    q.FirstDetail = Tx(detail == 0 ? TextHiddenOrSystem : TextReadOnly);
  }
  int result = qrCancel;
  Synchronize([&] { result = View->Ask(q); });
  return result;
}

// The error question: true for Retry; Skip drops the item, Abort also stops.
bool TOperations::AskRetry(int kind, uint32_t subKind, DWORD error,
                           const std::string& detailText) {
  const int r = AskUser(kind, subKind, error, detailText);
  if (r == qrYes) return true;
  answer_ = 0;
  if (r != qrNo) Terminate();
  return false;
}

void TOperations::Warn(const std::string& caption, DWORD error) {
  std::string text;
  ShowSystemError(false, error, text, "", "");
  const std::string full = caption + std::to_string(error);
  Flush(true);
  if (View) Synchronize([&] { View->ShowMessage(text, full, MB_ICONWARNING); });
}

void TOperations::Inform(const std::string& text, UINT icon) {
  Flush(true);
  if (View) Synchronize([&] { View->ShowMessage(text, Caption, icon); });
}

// ---------------------------------------------------------------- the walk

void TOperations::Execute() {
  // However the thread ends, the progress window must learn of it, or its
  // modal run never ends.
  struct TEnd {
    TOperations& op;
    ~TEnd() {
      op.buffer_ = nullptr;
      op.bufferBlock_.Free();
      ToolBusy = 0;
      if (op.ProgressWindow) PostMessageA(op.ProgressWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
  } end{*this};
  // A stop before the view is up ends the wait too.
  while (WaitForSingleObject(shown_.Get(), 20) == WAIT_TIMEOUT && !Terminated()) {
  }
  if (!bufferBlock_.Allocate(kBufferSize, false)) return;
  TGlobalLock lock(bufferBlock_.Handle());
  buffer_ = lock.Get<uint8_t>();
  BytesDone = 0;
  while (!Terminated()) {
    const TSelectedItem* item = NextSelectedItem(WalkInPool);
    if (!item) break;
    answer_ = 1;
    ProcessItem(*item);
  }
  if (Code == opSendToBasket || Code == opRemoveFromBasket) FilesDone = TotalFiles;
  SyncNames();
  SyncProgress(true);
}

void TOperations::ProcessItem(const TSelectedItem& item) {
  const std::string folder = item.Folder, name = item.Name;
  currentSource_ = JoinPath(folder, name);
  TItemUpdate update;
  update.Flags = iuUnselect;
  if (Code == opRemoveFromBasket) {
    update.Flags |= iuRemove;
    UpdateItemState(&update);
    return;
  }
  currentName_ = (Code == opCopy || Code == opMove) ? ApplyNameMask(NameMask, name) : name;
  currentTarget_ = TargetFolder.empty() ? JoinPath(folder, currentName_) : TargetFolder + currentName_;
  const DWORD onDisk = GetFileAttributesA(currentSource_.c_str());
  const bool isFolder = item.Attributes & FILE_ATTRIBUTE_DIRECTORY;
  const bool copying = Code == opCopy || Code == opMove;
  if (IsUnnamedEntry(name)) {
    RefuseUnnamed();
  } else if (copying && !ValidName(currentName_)) {
    // Retry could only give the same name again.
    AskRetry(1, skCreate, ERROR_INVALID_NAME);
  } else if (isFolder && (IsFolderLink(item.Attributes) ||
                          (onDisk != INVALID_FILE_ATTRIBUTES && IsFolderLink(onDisk)))) {
    HandleFolderLink(currentSource_);
  } else if (!isFolder) {
    ProcessFile();
  } else if (copying && IsInsideFolder(currentSource_, currentTarget_)) {
    Inform(Tx(TextCopyToItself), MB_ICONINFORMATION);
    Terminate();
  } else if (Code == opMove && SameDrive && !IsDirectory(currentTarget_)) {
    MoveOneFile();
    ++FilesDone;
  } else {
    if (Code == opMove && SameDrive) TotalFiles += item.Tag;
    ProcessFolder(currentSource_ + "\\", currentTarget_ + "\\");
  }
  // Only an item that is gone leaves a basket: a skipped or failed one is
  // still there and keeps its entry.
  if ((Code == opDelete || Code == opMove) && !IsUnnamedEntry(name) &&
      !PathExists(JoinPath(folder, name)))
    update.Flags |= iuRemove;
  UpdateItemState(&update);
}

void TOperations::ProcessFile() {
  switch (Code) {
    case opCopy: CopyOneFile(); break;
    case opDelete: DeleteOneFile(true); break;
    case opMove:
      if (SameDrive)
        MoveOneFile();
      else if (CopyOneFile() == 1)
        // A move's source goes for good: its copy is the one kept.
        DeleteOneFile(false);
      break;
    case opSendToBasket: SendOneToBasket(FolderOf(currentSource_), true); break;
  }
  ++FilesDone;
}

// A folder link is never entered nor moved: behind it lies a folder of
// somebody else's, and every file operation through it would act there.
// Only a copy or move had something to do there and says so; the basket
// takes a folder's files, so a link is passed by and the send goes on.
void TOperations::HandleFolderLink(const std::string& path) {
  if (Code == opSendToBasket) return;
  if (Code == opDelete) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryA(path.c_str())) AskUser(2, skNotRemoved, GetLastError());
    return;
  }
  AskRetry(1, skFolderLink, ERROR_CANT_ACCESS_FILE);
  answer_ = 0;
}

void TOperations::ProcessFolder(const std::string& source, const std::string& target) {
  if (Terminated()) return;
  if ((Code == opCopy || Code == opMove) && !MakeDir(target)) return;
  if (Code == opSendToBasket) SendOneToBasket(source, false);
  struct TEntry {
    std::string Name;
    DWORD Attributes;
  };
  std::vector<TEntry> entries;
  {
    TFindFiles find(source + "*.*");
    WIN32_FIND_DATAA fd;
    while (find.Next(fd))
      if (!IsDotEntry(fd.cFileName)) entries.push_back({fd.cFileName, fd.dwFileAttributes});
  }
  bool allowed = entries.empty() || Code != opDelete || (AnswerBits & (abFoldersYes | abThisFolderYes));
  bool setThisFolder = false;
  for (const TEntry& e : entries) {
    if (Terminated()) break;
    currentSource_ = source.substr(0, source.size() - 1);
    if (!allowed) {
      if (AnswerBits & abFoldersNo) break;
      const int r = AskUser(2, 0, 0);
      if (r == qrYes) {
        AnswerBits |= abThisFolderYes;
        setThisFolder = true;
      } else if (r == qrYesToAll) {
        AnswerBits |= abFoldersYes;
      } else {
        if (r == qrNoToAll) AnswerBits |= abFoldersNo;
        if (r != qrNo && r != qrNoToAll) Terminate();
        break;
      }
      allowed = true;
    }
    currentSource_ = source + e.Name;
    currentTarget_ = target + e.Name;
    currentName_ = e.Name;
    answer_ = 1;
    if (Code != opSendToBasket && IsUnnamedEntry(e.Name)) {
      RefuseUnnamed();
    } else if (!(e.Attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (Code == opSendToBasket)
        ++FilesDone;
      else
        ProcessFile();
    } else if (IsFolderLink(e.Attributes)) {
      HandleFolderLink(currentSource_);
    } else {
      ProcessFolder(currentSource_ + "\\", currentTarget_ + "\\");
    }
  }
  if (setThisFolder) AnswerBits &= ~abThisFolderYes;
  if (((Code == opDelete && allowed) || Code == opMove) && !Terminated()) {
    currentSource_ = source.substr(0, source.size() - 1);
    RemoveDir(currentSource_);
  }
}

// An entry that the code page has no name for is refused as such, before a
// step takes its wildcard for a pattern or reports the name as malformed.
void TOperations::RefuseUnnamed() {
  // Retry could only meet the same name again.
  AskRetry(Code == opDelete ? 3 : 1, skOpen, ERROR_NO_UNICODE_TRANSLATION);
}

int TOperations::MakeDir(const std::string& path) {
  std::string folder = path;
  StripTrailingBackslash(folder);
  currentTarget_ = folder;
  for (;;) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 1;
    if (CreateDirectoryA(folder.c_str(), nullptr)) continue;
    const DWORD error = GetLastError();
    // Already there: made meanwhile, unless a file holds the name, which
    // creating again can never mend.
    if (error == ERROR_ALREADY_EXISTS && attributes == INVALID_FILE_ATTRIBUTES) continue;
    const int r = AskUser(2, skCannotCreate, error);
    if (r == qrYes) continue;
    if (r != qrNo) Terminate();
    answer_ = 0;
    return 0;
  }
}

void TOperations::RemoveDir(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!RemoveDirectoryA(path.c_str())) AskUser(2, skNotRemoved, GetLastError());
}

// ---------------------------------------------------------------- one file

THandle TOperations::OpenSource() {
  for (;;) {
    THandle h(CreateFileA(currentSource_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h) {
      if (AskRetry(1, skOpen, GetLastError())) continue;
      return THandle();
    }
    if (!ReadFileInfo(h.Get(), sourceInfo_)) {
      if (AskRetry(1, skInformation, GetLastError())) continue;
      return THandle();
    }
    if (!GetFileTime(h.Get(), &sourceTimes_[0], &sourceTimes_[1], &sourceTimes_[2])) {
      if (AskRetry(1, skTimes, GetLastError())) continue;
      return THandle();
    }
    return h;
  }
}

// The same file under another name (another drive letter over the folder,
// a hard link): copying onto it would destroy it.
bool TOperations::IsSourceItself(const std::string& path) {
  TFileId source, other;
  return FileIdOf(currentSource_, source) && FileIdOf(path, other) && source == other;
}

// An existing target: refused when it is the source itself, else asked
// about; a new name from the answer is one that no file holds.
void TOperations::ResolveExistingTarget() {
  if (IsSourceItself(currentTarget_))
    RefuseSelfTarget();
  else
    CheckExistingTarget();
}

void TOperations::RefuseSelfTarget() {
  Inform(Tx(TextCopyToItself), MB_ICONINFORMATION);
  answer_ = 0;
  Terminate();
}

bool TOperations::AcceptAttributes(DWORD attributes, int kind) {
  struct TRule {
    DWORD attributes;
    uint32_t yes, no, detail;
  };
  static const TRule rules[] = {
      {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, abHiddenYes, abHiddenNo, 0},
      {FILE_ATTRIBUTE_READONLY, abReadOnlyYes, abReadOnlyNo, 1},
  };
  for (const TRule& rule : rules) {
    if (!(attributes & rule.attributes) || (AnswerBits & rule.yes)) continue;
    if (AnswerBits & rule.no) return false;
    const int r = AskUser(kind, 0, rule.detail);
    if (r == qrYesToAll) AnswerBits |= rule.yes;
    if (r == qrNoToAll) AnswerBits |= rule.no;
    if (r != qrYes && r != qrYesToAll) {
      if (r != qrNo && r != qrNoToAll) Terminate();
      return false;
    }
  }
  return true;
}

void TOperations::CheckExistingTarget() {
  decision_ = TargetPolicy;
  overwrite_ = false;
  {
    THandle t(CreateFileA(currentTarget_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!t || !ReadFileInfo(t.Get(), targetInfo_)) targetInfo_ = {};
  }
  if (decision_ == tpAsk) {
    sourceDescription_ = Description(sourceInfo_);
    targetDescription_ = Description(targetInfo_);
    switch (AskUser(1, 0, 2)) {
      case qrYes: decision_ = tpOverwrite; break;
      case qrYesToAll: TargetPolicy = decision_ = tpOverwrite; break;
      case qrYesAllOlder:
        AnswerBits |= abOlderOnly;
        TargetPolicy = decision_ = tpOverwrite;
        break;
      case qrNo: answer_ = 0; return;
      case qrNoToAll: TargetPolicy = decision_ = tpSkip; break;
      case qrAutorename: decision_ = tpRename; break;
      case qrAutorenameAll: TargetPolicy = decision_ = tpRename; break;
      default:
        answer_ = 0;
        Terminate();
        return;
    }
  }
  if (decision_ == tpSkip) {
    answer_ = 0;
  } else if (decision_ == tpOverwrite) {
    // Only a strictly older target is replaced: equal times lose nothing.
    if ((AnswerBits & abOlderOnly) &&
        CompareFileTime(&targetInfo_.ftLastWriteTime, &sourceTimes_[2]) >= 0) {
      answer_ = 0;
      return;
    }
    if (!AcceptAttributes(targetInfo_.dwFileAttributes, 1)) {
      answer_ = 0;
      return;
    }
    overwrite_ = true;
  } else if (decision_ == tpRename) {
    AutoRename();
  }
}

// Free names are looked for beside the target, never in the current folder.
void TOperations::AutoRename() {
  const size_t dot = currentName_.rfind('.');
  const std::string base = dot == std::string::npos ? currentName_ : currentName_.substr(0, dot);
  const std::string ext = dot == std::string::npos ? "" : currentName_.substr(dot);
  const std::string folder = FolderOf(currentTarget_);
  for (int n = 1;; ++n) {
    const std::string candidate = folder + base + "[" + std::to_string(n) + "]" + ext;
    if (!PathExists(candidate)) {
      currentTarget_ = candidate;
      break;
    }
  }
  SyncNames(true);
}

int TOperations::CopyOneFile() {
  currentPercent_ = 0;
  SyncProgress();
  SyncNames();
  if (currentSource_.empty() || currentTarget_.empty()) return 0;
  if (SameText(FullPath(currentSource_), FullPath(currentTarget_))) {
    RefuseSelfTarget();
    return 0;
  }
  THandle source = OpenSource();
  if (!source) {
    BytesDone += uint64_t(std::max<int64_t>(GetEntrySize(currentSource_), 0));
    return 0;
  }
  const uint64_t size = SizeOf(sourceInfo_);
  overwrite_ = false;
  // The questions about an existing target come before a large copy; a
  // small one learns of its target when it takes the name, which spares
  // each new target a lookup of a name that is not there (slow under Wine).
  if (size > kBufferSize && PathExists(currentTarget_)) ResolveExistingTarget();
  // Every copy is written under a temporary name beside its target and gets
  // the name only when complete: a killed copy leaves no partial file under
  // the name, which would look finished and newer than its source.
  THandle target;
  std::string written;
  while (answer_) {
    target.Reset(CreateFileUnderFreeName([&](int n) { return TemporaryName(currentTarget_, n); },
                                         written, GENERIC_WRITE | DELETE, 0, FILE_ATTRIBUTE_NORMAL));
    if (target || !AskRetry(1, skCreate, GetLastError())) break;
  }
  const uint64_t before = BytesDone;
  if (target && answer_ && size > kBufferSize) {
    // Space reserved at once writes a large file about a tenth faster.
    FILE_ALLOCATION_INFO allocation;
    allocation.AllocationSize.QuadPart = LONGLONG(size);
    SetFileInformationByHandle(target.Get(), FileAllocationInfo, &allocation, sizeof allocation);
  }
  if (target && answer_) answer_ = CopyBytes(source.Get(), target.Get());
  BytesDone = before + size;
  if (target) {
    bool named = false;
    if (!FinishCopy(target, named)) answer_ = 0;
    if (answer_ && !named && !PutCopyInPlace(written)) answer_ = 0;
    if (!answer_) DeleteForGood(named ? currentTarget_ : written);
  }
  if (source && !CloseHandle(source.Release())) Warn("CloseHandle Read: Error ", GetLastError());
  currentPercent_ = 100;
  SyncProgress();
  return answer_;
}

// Every chunk must be read and written whole: a shortfall is an error,
// never a silently shorter copy.
bool TOperations::CopyBytes(HANDLE source, HANDLE target) {
  using OperationsTesting::TFault;
  const uint64_t size = SizeOf(sourceInfo_);
  for (uint64_t done = 0; done < size;) {
    if (Terminated()) return false;
    const DWORD chunk = DWORD(std::min<uint64_t>(kBufferSize, size - done));
    DWORD got = 0;
    BOOL ok = ReadFile(source, buffer_, chunk, &got, nullptr);
    if (Hit(TFault::ShortRead)) got = chunk / 2;
    if (Hit(TFault::FailRead)) ok = FALSE, SetLastError(ERROR_READ_FAULT);
    if (!ok || got != chunk) {
      Warn("READ FROM FILE: Error ", ok ? ERROR_HANDLE_EOF : GetLastError());
      return false;
    }
    DWORD put = 0;
    ok = WriteFile(target, buffer_, got, &put, nullptr);
    if (Hit(TFault::ShortWrite)) put = got / 2;
    if (Hit(TFault::FailWrite)) ok = FALSE, SetLastError(ERROR_DISK_FULL);
    if (!ok || put != got) {
      Warn("WRITE TO FILE: Error ", ok ? ERROR_DISK_FULL : GetLastError());
      return false;
    }
    done += got;
    BytesDone += got;
    if (done < size) KillPoint(OperationsTesting::TStep::MidCopy);
    const int32_t percent = int32_t(done * 100 / size);
    if (percent != currentPercent_) {
      currentPercent_ = percent;
      SyncProgress();
    }
    if (DWORD delay = chunkDelay.load()) Sleep(delay);
  }
  return true;
}

// Size, times and attributes of the written file, the name of a new target,
// then the close: a copy whose size is not the source's, or a failure of
// any step, makes a failed copy. A copy named here has named set.
bool TOperations::FinishCopy(THandle& target, bool& named) {
  using OperationsTesting::TFault;
  bool ok = answer_;
  LARGE_INTEGER writtenSize;
  if (ok && (!GetFileSizeEx(target.Get(), &writtenSize) ||
             uint64_t(writtenSize.QuadPart) != SizeOf(sourceInfo_))) {
    Warn("WRITE TO FILE: Error ", ERROR_WRITE_FAULT);
    ok = false;
  }
  KillPoint(OperationsTesting::TStep::Times);
  if (ok && (!SetFileTime(target.Get(), &sourceTimes_[0], &sourceTimes_[1], &sourceTimes_[2]) ||
             Hit(TFault::FailTimes))) {
    Warn("SetFileTime: Error ", Hit(TFault::FailTimes) ? ERROR_ACCESS_DENIED : GetLastError());
    ok = false;
  }
  KillPoint(OperationsTesting::TStep::Attributes);
  // Through the handle, so that the copy is complete before it has a name.
  FILE_BASIC_INFO basic{};  // times of 0 stay as they are
  basic.FileAttributes = sourceInfo_.dwFileAttributes & kSettableAttributes;
  if (!basic.FileAttributes) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (ok && (!SetFileInformationByHandle(target.Get(), FileBasicInfo, &basic, sizeof basic) ||
             Hit(TFault::FailAttributes))) {
    Warn("SetFileAttributes: Error ",
         Hit(TFault::FailAttributes) ? ERROR_ACCESS_DENIED : GetLastError());
    ok = false;
  }
  if (ok && !overwrite_) ok = TakeName(target.Get(), named);
  KillPoint(OperationsTesting::TStep::Close);
  if (!CloseHandle(target.Release()) || Hit(TFault::FailClose)) {
    Warn("CloseHandle Write: Error ", Hit(TFault::FailClose) ? ERROR_DISK_FULL : GetLastError());
    ok = false;
  }
  return ok;
}

// A new target's name is given through the open copy and never replaces a
// file: one made meanwhile (or, for a small copy, one not looked for before)
// is asked about like any other. An agreed overwrite waits for the close.
bool TOperations::TakeName(HANDLE copy, bool& named) {
  for (;;) {
    KillPoint(OperationsTesting::TStep::Name);
    if (RenameOpenFile(copy, currentTarget_)) {
      named = true;
      return true;
    }
    const DWORD error = GetLastError();
    if (!PathExists(currentTarget_)) {
      if (AskRetry(1, skReplace, error)) continue;
      return false;
    }
    ResolveExistingTarget();
    if (!answer_) return false;
    if (overwrite_) return true;
  }
}

// The complete copy replaces the target in one step; a failure keeps the
// old target as it was.
bool TOperations::PutCopyInPlace(const std::string& written) {
  const DWORD old = GetFileAttributesA(currentTarget_.c_str());
  for (;;) {
    SetFileAttributesA(currentTarget_.c_str(), FILE_ATTRIBUTE_NORMAL);
    KillPoint(OperationsTesting::TStep::Name);
    if (MoveFileExA(written.c_str(), currentTarget_.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    const DWORD error = GetLastError();
    if (old != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(currentTarget_.c_str(), old);
    if (!AskRetry(1, skReplace, error)) return false;
  }
}

void TOperations::MoveOneFile() {
  SyncNames();
  if (currentSource_.empty() || currentTarget_.empty()) return;
  const bool caseOnly = SameText(currentSource_, currentTarget_);
  if (caseOnly && currentSource_ == currentTarget_) {
    RefuseSelfTarget();
    return;
  }
  overwrite_ = false;
  if (!caseOnly && PathExists(currentTarget_)) {
    THandle source = OpenSource();
    if (!source) return;
    if (IsSourceItself(currentTarget_)) {
      RefuseSelfTarget();
      return;
    }
    CheckExistingTarget();
  }
  while (answer_) {
    BOOL moved;
    if (overwrite_) {
      const DWORD old = GetFileAttributesA(currentTarget_.c_str());
      SetFileAttributesA(currentTarget_.c_str(), FILE_ATTRIBUTE_NORMAL);
      moved = MoveFileExA(currentSource_.c_str(), currentTarget_.c_str(), MOVEFILE_REPLACE_EXISTING);
      if (!moved) SetFileAttributesA(currentTarget_.c_str(), old);
    } else {
      // Never over a target that appeared meanwhile; a case-only rename
      // goes through a free name, since a direct one may do nothing.
      moved = MoveFileNoReplace(currentSource_, currentTarget_);
    }
    if (moved) break;
    const DWORD error = GetLastError();
    if (!overwrite_ && !caseOnly && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) &&
        !IsDirectory(currentSource_)) {
      // Somebody made the target meanwhile: ask about it like any other.
      THandle source = OpenSource();
      if (!source) return;
      CheckExistingTarget();
      continue;
    }
    Warn("MoveFile: Error", error);
    answer_ = 0;
  }
  SyncProgress();
}

void TOperations::DeleteOneFile(bool allowRecycle) {
  if (Code == opDelete) SyncNames();
  const bool recycle = allowRecycle && (GeneralCheckContainer & 0x04);
  bool first = true;
  while (answer_) {
    const DWORD attributes = GetFileAttributesA(currentSource_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (AskRetry(3, sdMissing, GetLastError())) continue;
      break;
    }
    if (first && !AcceptAttributes(attributes, 3)) {
      answer_ = 0;
      break;
    }
    first = false;
    uint32_t step = 0;
    DWORD error = 0;
    if (RemoveOneFile(currentSource_, recycle, step, error)) break;
    SetFileAttributesA(currentSource_.c_str(), attributes);
    if (!AskRetry(3, step, error, step == sdRecycle ? Tx(TextCannotDelete) : "")) break;
  }
  if (Code == opDelete) SyncProgress();
}

bool TOperations::RemoveOneFile(const std::string& path, bool recycle, uint32_t& failedStep,
                                DWORD& error) {
  if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
    failedStep = sdAttributes;
    error = GetLastError();
    return false;
  }
  if (!recycle) {
    if (DeleteFileA(path.c_str())) return true;
    failedStep = sdDelete;
    error = GetLastError();
    return false;
  }
  // No owner window: the shell's own question belongs to this thread, and
  // the progress window stays live meanwhile.
  std::string from = path;
  from.push_back('\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = kRecycleFlags;
  const int r = SHFileOperationA(&op);
  // A No to the shell's question also returns 0.
  if (r == 0 && !op.fAnyOperationsAborted && !PathExists(path)) return true;
  failedStep = sdRecycle;
  error = DWORD(r);
  return false;
}

void TOperations::SendOneToBasket(const std::string& folder, bool isFile) {
  if (!BasketWork) return;
  if (!isFile) SyncNames();
  std::string path = folder;
  const int32_t dirsBefore = BasketWork->DirCount;
  const int32_t dir = FindOrAddDir(path, *BasketWork);
  if (dir > 0) {
    TPluginStructure& walk = PluginStructure;
    if (isFile) {
      InsertFileUnique(walk.CurrentDir, walk.CurrentPos, uint32_t(dir), *BasketWork, *walk.List);
    } else {
      if (BasketWork->DirCount == dirsBefore) RemoveDirFiles(uint32_t(dir), *BasketWork);
      ReadDirEntries(uint32_t(dir), 10, *BasketWork);
      SortDir(uint32_t(dir), SortByNameOnly, *BasketWork);
    }
  }
  if (!isFile) SyncProgress();
}

// ---------------------------------------------------------------- helpers

std::string ApplyNameMask(const std::string& mask, const std::string& name) {
  if (mask.empty()) return name;
  std::string namePart, extPart;
  ExtractNamePart(name, namePart);
  ExtractExtPart(name, extPart);
  const std::string* part = &namePart;
  std::string result, open;
  int lastDot = -1;
  bool closed = false;
  for (int i = 0; i < int(mask.size()); ++i) {
    const char c = mask[size_t(i)];
    if (c == '*') {
      open += *part;
    } else if (c == '?') {
      const int at = i - lastDot;
      if (at >= 1 && at <= int(part->size())) open += (*part)[size_t(at - 1)];
    } else if (c == '.') {
      if (closed) result += '.';
      result += open;
      open.clear();
      closed = true;
      part = &extPart;
      lastDot = i;
    } else {
      open += c;
    }
  }
  if (!closed) return open;
  if (!open.empty()) result += "." + open;
  return result;
}

bool SameDrive(const std::string& a, const std::string& b) {
  if (a.size() < 2 || b.size() < 2 || a[1] != ':' || b[1] != ':') return false;
  return toupper(static_cast<unsigned char>(a[0])) == toupper(static_cast<unsigned char>(b[0]));
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsInsideFolder(const std::string& folder, const std::string& target) {
  const std::string f = FullPath(folder), t = FullPath(target);
  if (SameText(f, t)) return true;
  if (t.size() > f.size() && SameText(t.substr(0, f.size()), f) &&
      (t[f.size()] == '\\' || f.back() == '\\'))
    return true;
  // Another drive letter over the same folder cannot hide it either.
  TFileId id, other;
  if (!FileIdOf(f, id)) return false;
  for (std::string up = t;;) {
    if (IsDirectory(up) && FileIdOf(up, other) && other == id) return true;
    const size_t slash = up.rfind('\\');
    if (up.size() <= 3 || slash == std::string::npos || slash == 0) return false;
    up = up.substr(0, slash == 2 ? 3 : slash);
  }
}

namespace OperationsTesting {
void InjectFault(TFault fault) { injectedFault = fault; }
void SetChunkDelay(DWORD ms) { chunkDelay = ms; }
void KillAt(TStep step) { killStep = step; }
}  // namespace OperationsTesting
