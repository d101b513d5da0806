#include "core/IconReader.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "core/ListLock.h"
#include "core/ReadFolder.h"
#include "framework/OleAuto.h"
#include "framework/Registry.h"

TStringList RegisteredExtensions;
HIMAGELIST SystemImageList = nullptr;
int32_t FolderIconIndex = IconFolder;
int32_t OpenFolderIconIndex = IconOpenFolder;
void (*ThreadForReadIcons::BeforeEntry)(ThreadForReadIcons&) = nullptr;

namespace {

// A cache entry not asked yet, and one the shell gave no icon for: asked
// once like the others, so that an extension costs one query a run.
constexpr int32_t kUnasked = -1;
constexpr int32_t kNoIcon = INT32_MIN;

const TStringList* cachedList = nullptr;
std::vector<int32_t> extensionCache;
uint32_t extensionQueries = 0;

constexpr UINT kSmallIndex = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;

bool NameLess(const std::string& a, const std::string& b) {
  return CompareNames(a.data(), uint32_t(a.size()), b.data(), uint32_t(b.size())) < 0;
}

// The thread's own error mode: the process's would also change the user
// interface thread's, which sets its own around a refresh.
class TThreadErrorMode {
 public:
  TThreadErrorMode() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX, &old_); }
  ~TThreadErrorMode() { SetThreadErrorMode(old_, nullptr); }
  TThreadErrorMode(const TThreadErrorMode&) = delete;
  TThreadErrorMode& operator=(const TThreadErrorMode&) = delete;

 private:
  DWORD old_ = 0;
};

bool IsOpenFolder(const TFileRecord& r) { return IsFolder(r) && (r.Flags & FileOpen); }

}  // namespace

void LoadRegisteredExtensions(TStringList& list) {
  std::vector<std::string> names;
  TRegistry classes(HKEY_CLASSES_ROOT, KEY_READ);
  if (classes.OpenKeyReadOnly("")) names = classes.GetKeyNames();
  std::erase_if(names, [](const std::string& n) { return n.empty() || n[0] != '.'; });
  std::sort(names.begin(), names.end(), NameLess);
  list.Clear();
  for (std::string& n : names) list.Add(std::move(n));
  cachedList = &list;
  extensionCache.assign(list.Count(), kUnasked);
}

void GetShellIconIndexes() {
  SHFILEINFOA sfi{};
  SystemImageList = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("", 0, &sfi, sizeof sfi, kSmallIndex | SHGFI_USEFILEATTRIBUTES));
  if (SHGetFileInfoA("", FILE_ATTRIBUTE_DIRECTORY, &sfi, sizeof sfi, kSmallIndex | SHGFI_USEFILEATTRIBUTES))
    FolderIconIndex = sfi.iIcon;
  if (SHGetFileInfoA("", FILE_ATTRIBUTE_DIRECTORY, &sfi, sizeof sfi,
                     kSmallIndex | SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON))
    OpenFolderIconIndex = sfi.iIcon;
}

int32_t GetIconIndexByExtension(const std::string& ext) {
  if (!cachedList || extensionCache.size() != cachedList->Count()) return -1;
  const std::string key = "." + ext;
  auto at = std::lower_bound(cachedList->begin(), cachedList->end(), key, NameLess);
  if (at == cachedList->end() || NameLess(key, *at)) return -1;
  int32_t& cached = extensionCache[size_t(at - cachedList->begin())];
  if (cached == kUnasked) {
    SHFILEINFOA sfi{};
    ++extensionQueries;
    cached = SHGetFileInfoA(key.c_str(), FILE_ATTRIBUTE_NORMAL, &sfi, sizeof sfi,
                            kSmallIndex | SHGFI_USEFILEATTRIBUTES)
                 ? sfi.iIcon
                 : kNoIcon;
  }
  return cached == kNoIcon ? -1 : cached;
}

uint32_t ExtensionIconQueries() { return extensionQueries; }

int32_t GetItemIconIndex(uint32_t dir, uint32_t pos, TstateOfBrowser& list, HWND gridWindow,
                         TIconThread& thread) {
  if (pos == 0) return IconUnread;
  TFileRecord entry;
  {
    TListLock lock(list);
    const TFileRecord* e = lock.Entry(dir, pos);
    if (!e) return IconUnread;
    entry = *e;
  }
  // An open folder draws its open icon once read, even when its closed one
  // was read before it was opened.
  if (IsOpenFolder(entry) && entry.OpenIconIndex != IconUnread) return entry.OpenIconIndex;
  if (entry.IconIndex != IconUnread) return entry.IconIndex;
  if (!thread && !list.Busy && !(list.ModeFlags & ModeBasketView)) {
    try {
      auto t = std::make_unique<TThreadOf<ThreadForReadIcons>>(list, gridWindow);
      t->SetPriority(THREAD_PRIORITY_BELOW_NORMAL);
      t->Resume();
      thread = std::move(t);
    } catch (...) {
      // Without a thread the entries keep their provisional icons.
    }
  }
  if (IsFolder(entry)) return FolderIconIndex;
  const int32_t byExtension = GetIconIndexByExtension(list.Names->GetString(entry.ExtOffset));
  return byExtension == -1 ? IconNoFileIcon : byExtension;
}

int32_t GetItemIconIndexNow(uint32_t dir, uint32_t pos, TstateOfBrowser& list) {
  if (pos == 0) return OpenFolderIconIndex;
  TListLock lock(list);
  TFileRecord* e = lock.Entry(dir, pos);
  if (!e) return IconUnread;
  if (IsFolder(*e)) return FolderIconIndex;
  if (e->IconIndex != IconUnread) return e->IconIndex;
  const int32_t byExtension = GetIconIndexByExtension(list.Names->GetString(e->ExtOffset));
  if (byExtension == -1) return IconNoFileIcon;
  e->IconIndex = byExtension;
  return byExtension;
}

void StopIconReader(TIconThread& thread) {
  // Out of the variable first: whatever runs during the wait finds no
  // thread, and a second stop has nothing to free.
  TIconThread stopping = std::move(thread);
  if (!stopping) return;
  stopping->SetPriority(THREAD_PRIORITY_ABOVE_NORMAL);
  stopping->StopAndWait();
}

void ThreadForReadIcons::Execute() {
  if (Terminated()) return;
  TComApartment com;
  TThreadErrorMode errorMode;
  const int32_t dirCount = List->DirCount;
  for (int32_t d = 1; d <= dirCount && !Terminated(); ++d) ReadDirectory(uint32_t(d));
  if (GridWindow && !Terminated()) Synchronize([this] { InvalidateRect(GridWindow, nullptr, FALSE); });
}

void ThreadForReadIcons::ReadDirectory(uint32_t dir) {
  TListLock lock(*List);
  CurrentDir = lock.Dir(dir);
  if (!CurrentDir || !(CurrentDir->Flags & DirOpen)) return;
  const uint32_t count = CurrentDir->FileCount;
  const LPCITEMIDLIST dirIdList = CurrentDir->ItemIdList;
  // The pool may move while names are added on the other thread.
  Synchronize([this] { DirPath = List->Names->GetString(CurrentDir->PathOffset); });
  for (uint32_t record = 1; record <= count && !Terminated(); ++record) {
    CurrentFile = lock.Record(dir, record);
    if (!CurrentFile) return;
    const bool openIcon = IsOpenFolder(*CurrentFile) && CurrentFile->OpenIconIndex == IconUnread;
    if (!openIcon && CurrentFile->IconIndex != IconUnread) continue;
    if (BeforeEntry) BeforeEntry(*this);
    if (Terminated()) return;
    const int32_t icon = ReadIcon(*CurrentFile, dirIdList, openIcon);
    (openIcon ? CurrentFile->OpenIconIndex : CurrentFile->IconIndex) = icon;
  }
}

int32_t ThreadForReadIcons::ReadIcon(const TFileRecord& entry, LPCITEMIDLIST dirIdList, bool openIcon) {
  const UINT flags = kSmallIndex | (openIcon ? SHGFI_OPENICON : 0);
  SHFILEINFOA sfi{};
  DWORD_PTR found = 0;
  if (entry.ItemIdList) {
    TItemIdList full(CombinePidls(dirIdList, entry.ItemIdList));
    if (full)
      found = SHGetFileInfoA(reinterpret_cast<LPCSTR>(full.Get()), 0, &sfi, sizeof sfi, flags | SHGFI_PIDL);
  } else {
    NameReady = 0;
    Synchronize([this, &entry] {
      FileName = List->Names->GetString(entry.NameOffset);
      NameReady = 1;
    });
    found = SHGetFileInfoA((DirPath + "\\" + FileName).c_str(), FILE_ATTRIBUTE_NORMAL, &sfi, sizeof sfi, flags);
  }
  if (found) return sfi.iIcon;
  // The program's own pictures: a negated system index would name an
  // arbitrary image (or the file picture, for the usual folder index).
  if (!IsFolder(entry)) return IconNoFileIcon;
  return openIcon ? IconOpenFolder : IconFolder;
}
