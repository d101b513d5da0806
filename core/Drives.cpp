#include "core/Drives.h"

#include <cstring>

#include "core/FileUtils.h"
#include "core/SharedTexts.h"
#include "core/translator.h"

TDriveList DriveList;
TItemIdList NetworkItemIdList;
const char* const WebSiteAddress = "https://kelvanto.example/";

namespace {

constexpr DWORD AllDriveBits = (1u << 26) - 1;

const TUnitTexts driveTexts{{TextBasket, "BASKET"}, {TextCdRom, "CD-ROM"}, {TextRemovable, "REMOVABLE"}};

std::string RootOf(char letter) { return std::string(1, letter) + ":\\"; }

bool VolumeAnswers(char letter, char* label = nullptr, DWORD labelSize = 0) {
  // An empty removable or CD-ROM drive must not bring up the "no disk" box.
  TQuietErrors quiet;
  return GetVolumeInformationA(RootOf(letter).c_str(), label, labelSize, nullptr, nullptr,
                               nullptr, nullptr, 0) != 0;
}

void SetDisplayText(TDriveRecord& rec, const char* text) {
  strncpy(rec.DisplayText, text, sizeof rec.DisplayText - 1);
  rec.DisplayText[sizeof rec.DisplayText - 1] = '\0';
}

void SetDriveText(TDriveRecord& rec) {
  switch (rec.DriveType) {
    case DRIVE_REMOVABLE: SetDisplayText(rec, Tx(TextRemovable).c_str()); break;
    case DRIVE_CDROM: SetDisplayText(rec, Tx(TextCdRom).c_str()); break;
    case DRIVE_FIXED:
    case DRIVE_REMOTE: {
      char label[256] = "";
      if (!VolumeAnswers(rec.Letter, label, sizeof label)) label[0] = '\0';
      SetDisplayText(rec, label);
      break;
    }
    default: break;
  }
}

// Letters the list holds for the given options, as a bit mask.
DWORD PresentDriveMask(int options) {
  DWORD mask = GetLogicalDrives() & AllDriveBits;
  if (!(options & DriveOptionNoCdRom)) return mask;
  for (int bit = 0; bit < 26; ++bit)
    if ((mask & (1u << bit)) && GetDriveTypeA(RootOf(char('A' + bit)).c_str()) == DRIVE_CDROM)
      mask &= ~(1u << bit);
  return mask;
}

bool SameLetter(char a, char b) {
  char x[2] = {a, b};
  CharUpperBuffA(x, 2);
  return x[0] == x[1];
}

bool DriveLettersDiffer(const TDriveList& list, DWORD mask) {
  size_t k = 0;
  for (int bit = 0; bit < 26; ++bit) {
    if (!(mask & (1u << bit))) continue;
    if (k == list.size()) return true;
    if (!SameLetter(list[k]->Letter, char('A' + bit))) return true;
    ++k;
  }
  // Pseudo-drives at the end do not count.
  for (; k < list.size(); ++k)
    if (list[k]->RealDrive) return true;
  return false;
}

}  // namespace

void FillDriveList(TDriveList& list, int options) {
  list.clear();
  const DWORD mask = GetLogicalDrives() & AllDriveBits;
  for (int bit = 0; bit < 26; ++bit) {
    if (!(mask & (1u << bit))) continue;
    auto rec = std::make_unique<TDriveRecord>();
    rec->Letter = char('a' + bit);
    rec->RealDrive = true;
    rec->DriveType = GetDriveTypeA(RootOf(rec->Letter).c_str());
    if ((options & DriveOptionNoCdRom) && rec->DriveType == DRIVE_CDROM) continue;
    SetDriveText(*rec);
    list.push_back(std::move(rec));
  }
  if ((options & DriveOptionNetwork) && (GetSystemMetrics(SM_NETWORK) & 1)) {
    if (auto net = MakeSpecialFolderDrive('\\', CSIDL_NETWORK, NetworkItemIdList))
      list.push_back(std::move(net));
  }
  if (options & DriveOptionBasket) {
    auto basket = std::make_unique<TDriveRecord>();
    basket->Letter = '*';
    basket->DriveType = DRIVE_REMOTE;
    SetDisplayText(*basket, Tx(TextBasket).c_str());
    list.push_back(std::move(basket));
  }
}

bool UpdateDriveList(TDriveList& list, int options) {
  // With CD-ROM drives left out of the list they must be left out here too,
  // or every update would see a change.
  if (!DriveLettersDiffer(list, PresentDriveMask(options))) return false;
  FillDriveList(list, options);
  return true;
}

int FindDriveIndex(char letter, const TDriveList& list) {
  for (size_t i = 0; i < list.size(); ++i)
    if (SameLetter(list[i]->Letter, letter)) return static_cast<int>(i);
  return FindFirstFixedDrive(list);
}

int FindFirstFixedDrive(const TDriveList& list) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i]->DriveType == DRIVE_FIXED && list[i]->RealDrive && VolumeAnswers(list[i]->Letter))
      return static_cast<int>(i);
  return static_cast<int>(list.size());
}

const TDriveRecord* DriveAt(const TDriveList& list, int index) {
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return nullptr;
  return list[index].get();
}

bool IsDriveReady(char letter, const TDriveList& list) {
  const TDriveRecord* rec = DriveAt(list, FindDriveIndex(letter, list));
  if (!rec || !SameLetter(rec->Letter, letter)) return false;
  if (rec->RealDrive) return VolumeAnswers(rec->Letter);
  if (rec->ItemIdList) {
    SHFILEINFOA info{};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(rec->ItemIdList), 0, &info, sizeof info,
                   SHGFI_PIDL | SHGFI_DISPLAYNAME);
  }
  return true;
}

std::unique_ptr<TDriveRecord> MakeSpecialFolderDrive(char letter, int specialFolder,
                                                     TItemIdList& cache) {
  if (!cache.Get()) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, specialFolder, &pidl)) || !pidl)
      return nullptr;
    cache.Reset(pidl);
  }
  auto rec = std::make_unique<TDriveRecord>();
  rec->ItemIdList = cache.Get();
  rec->Letter = letter;
  rec->DriveType = DRIVE_REMOTE;
  SHFILEINFOA info{};
  if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(cache.Get()), 0, &info, sizeof info,
                     SHGFI_PIDL | SHGFI_DISPLAYNAME))
    SetDisplayText(*rec, info.szDisplayName);
  return rec;
}

std::string WebPageAddress(int page) {
  const char* path = nullptr;
  switch (page) {
    case 20: path = "tsupport.html"; break;
    case 21: path = ""; break;
    case 22: path = "plugins.html"; break;
    case 24: path = "contact.html"; break;
    case 25: path = "tutorials/index.html"; break;
    default: return "";
  }
  return std::string(WebSiteAddress) + path;
}

namespace {
void OpenInBrowser(const std::string& address) {
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
}  // namespace

TWebPageOpener WebPageOpener = &OpenInBrowser;

void OpenWebPage(int page) {
  const std::string address = WebPageAddress(page);
  if (!address.empty() && WebPageOpener) WebPageOpener(address);
}
