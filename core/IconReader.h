#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/FileList.h"
#include "framework/StringList.h"
#include "framework/Thread.h"

// Icon values of entries: n >= 0 is an index of the system's small image
// list, a negative n is image -n-1 of the program's own list.
constexpr int32_t IconUnread = -1;  // as a drawing value: the up-folder
constexpr int32_t IconNoFileIcon = -2;
constexpr int32_t IconFolder = -3;
constexpr int32_t IconOpenFolder = -4;

// The key names of HKEY_CLASSES_ROOT that begin with ".", sorted.
extern TStringList RegisteredExtensions;
extern HIMAGELIST SystemImageList;
// The system's folder indexes; the program's own folder pictures until the
// shell answers.
extern int32_t FolderIconIndex;
extern int32_t OpenFolderIconIndex;

// Reads the shell's icons of every entry of the list's open directories
// that has none yet, then repaints the grid once. Made only as
// TThreadOf<ThreadForReadIcons>, by GetItemIconIndex.
class ThreadForReadIcons : public TThread {
 public:
  ThreadForReadIcons(TstateOfBrowser& list, HWND gridWindow) : List(&list), GridWindow(gridWindow) {}

  std::string DirPath;   // copied on the user-interface thread
  std::string FileName;  // likewise
  std::atomic<uint32_t> NameReady{0};
  TFileRecord* CurrentFile = nullptr;
  TDirRecord* CurrentDir = nullptr;
  TstateOfBrowser* List;
  HWND GridWindow;  // nullptr: nothing to repaint

  // For tests: runs on the thread before each entry it reads.
  static void (*BeforeEntry)(ThreadForReadIcons& thread);

 protected:
  void Execute() override;

 private:
  void ReadDirectory(uint32_t dir);
  int32_t ReadIcon(const TFileRecord& entry, LPCITEMIDLIST dirIdList, bool openIcon);
};

// The pane's thread variable: nil, or the thread of the list's last filling.
using TIconThread = std::unique_ptr<ThreadForReadIcons>;

// Fills the list with the extensions and makes their icon cache (all
// unasked); lookups go to the list loaded last.
void LoadRegisteredExtensions(TStringList& list);
// The system small image list and the two folder indexes.
void GetShellIconIndexes();
// The system index of "." + ext from the cache (the shell is asked once per
// extension and run); -1 when the extension is not registered, the shell
// gives no icon, or no cache was made.
int32_t GetIconIndexByExtension(const std::string& ext);
// The value to draw for an entry. An unread entry gets a provisional icon
// and, once per filling, starts the thread, but never on a list that a walk
// or a worker owns (Busy) nor on a basket view, whose blocks others change.
int32_t GetItemIconIndex(uint32_t dir, uint32_t pos, TstateOfBrowser& list, HWND gridWindow,
                         TIconThread& thread);
// The value to draw without a thread (position 0: the open folder).
int32_t GetItemIconIndexNow(uint32_t dir, uint32_t pos, TstateOfBrowser& list);
// The one stop of every owner: the variable is nil before the wait, which
// lets no input reach the owner's windows, and the thread is freed after it.
void StopIconReader(TIconThread& thread);
// For tests: the shell queries GetIconIndexByExtension has made.
uint32_t ExtensionIconQueries();
