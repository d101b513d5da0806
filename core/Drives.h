#pragma once
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/Handles.h"

// One entry of the drive list: a logical drive or a pseudo-drive.
struct TDriveRecord {
  LPITEMIDLIST ItemIdList = nullptr;  // a pseudo-drive's list; owned by its cache
  char Letter = 0;                    // 'a'..'z', '\\' network, '*' basket
  UINT DriveType = DRIVE_UNKNOWN;     // both pseudo-drives: DRIVE_REMOTE
  char DisplayText[260] = {};
  bool RealDrive = false;
};

using TDriveList = std::vector<std::unique_ptr<TDriveRecord>>;

enum : int {
  DriveOptionNetwork = 1,
  DriveOptionBasket = 2,
  DriveOptionNoCdRom = 4,
};

// The program's drive list, filled by the main window at start-up.
extern TDriveList DriveList;
// The network folder's item-id list, fetched once for the whole run.
extern TItemIdList NetworkItemIdList;

void FillDriveList(TDriveList& list, int options);
// True when the drive letters present differ from the list, which is then
// rebuilt. A new label or medium on the same letter changes nothing.
bool UpdateDriveList(TDriveList& list, int options);
// The entry of the letter (case ignored), else FindFirstFixedDrive.
int FindDriveIndex(char letter, const TDriveList& list);
// The first fixed drive whose volume answers; the list's count when none.
int FindFirstFixedDrive(const TDriveList& list);
bool IsDriveReady(char letter, const TDriveList& list);
inline bool IsDriveReady(char letter) { return IsDriveReady(letter, DriveList); }
// The entry at index, or nullptr when index is outside the list (as the
// count that the lookups above return when they find nothing).
const TDriveRecord* DriveAt(const TDriveList& list, int index);
std::unique_ptr<TDriveRecord> MakeSpecialFolderDrive(char letter, int specialFolder,
                                                     TItemIdList& cache);

// The program's web site; the pages are appended to it.
extern const char* const WebSiteAddress;
// Address of a web page by number, "" for an unknown number.
std::string WebPageAddress(int page);
// Opens the page in the default browser through WebPageOpener.
void OpenWebPage(int page);
// What opens an address; tests put their own in place of the browser.
using TWebPageOpener = void (*)(const std::string& address);
extern TWebPageOpener WebPageOpener;
