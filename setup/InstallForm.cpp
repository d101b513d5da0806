#include "setup/InstallForm.h"

#include <shellapi.h>
#include <shlobj.h>

#include "controls/JustifiedText.h"
#include "core/FileUtils.h"
#include "core/Formats.h"
#include "core/ProgramKey.h"
#include "framework/Registry.h"
#include "framework/SystemError.h"
#include "setup/InstalledFiles.h"
#include "setup/Links.h"

using KvtSetup::TOperations;

const std::vector<TSetupLanguage> SetupLanguages = {
    {"English language", ""},
    {"French language", "french.lng"},
    {"Spanish language", "spanish.lng"},
    {"Dutch language", "nederlands.lng"},
    {"Danish language", "Danish.lng"},
    {"Hungarian language", "Hungarian.lng"},
    {"Portuguese language", "Portuguese.lng"},
    {"Turkish language", "Turkish.lng"},
    {"Russian language", "Russian.lng"},
};

namespace {

constexpr const char* kWelcomeText =
    "Welcome to the Kelvanto Setup program. This program will install Kelvanto on your computer. "
    "Click Next to continue or Cancel to quit from Setup program.";
constexpr const char* kCopyingText = "Files copy to selected disk.";
constexpr const char* kFinishText =
    "Setup has finished installing the application on your computer. You may launch the "
    "application by selecting the icons installed. Click Finish to continue.";
constexpr const char* kDefaultInstallDirectory = "C:\\Program Files\\KVT";
constexpr const char* kCannotCreateText = "Can't create specified directory ";
constexpr const char* kCannotWriteText = "Can't write to specified directory ";
constexpr const char* kPathTooLongText = "The path of the specified directory is too long: ";
constexpr const char* kShorterPathText = "\r\nPlease choose a directory with a shorter path.";
constexpr const char* kAdminRightsText = "\r\nPlease launch setup program with administrator's rights.";

constexpr int kAllUsersDesktop = CSIDL_COMMON_DESKTOPDIRECTORY;  // 25
constexpr int kUserDesktop = CSIDL_DESKTOPDIRECTORY;             // 16
constexpr int kAllUsersPrograms = CSIDL_COMMON_PROGRAMS;         // 23
constexpr int kUserPrograms = CSIDL_PROGRAMS;                    // 2

TRegistryValue Text(const char* name, const std::string& text) { return {name, REG_SZ, text, 0}; }
TRegistryValue Number(const char* name, DWORD number) { return {name, REG_DWORD, {}, number}; }

TLabel* NewLabel(TWinControl* parent, int x, int y, const std::string& caption) {
  auto* l = new TLabel(parent, caption);
  l->SetBounds(x, y, l->Width(), l->Height());
  return l;
}

template <class TBox>
TBox* NewBox(TWinControl* parent, int x, int y, int w, const std::string& caption) {
  auto* b = new TBox(parent, caption);
  b->SetBounds(x, y, w, 17);
  return b;
}

}  // namespace

TfrmInstall::TfrmInstall() : TForm(nullptr, TFormBorder::Single) {
  SetClientSize(497, 368);
  brandIcon = new TPaintBox(this);
  brandIcon->SetBounds(12, 8, 32, 32);
  brandIcon->OnPaint = [this](TCanvas& c) {
    if (icon_) DrawIconEx(c.Handle(), 0, 0, icon_.Get(), 32, 32, 0, nullptr, DI_NORMAL);
  };
  lblMain = new TLabel(this);
  TFont big = Font();
  big.Size = 14;
  big.Bold = true;
  lblMain->SetFont(big);
  lblMain->SetBounds(54, 12, 0, 0);
  lblVersion = NewLabel(this, 0, 22, "version 3.2.4");

  SetupPages = new TPageControl(this);
  SetupPages->SetBounds(8, 48, 481, 276);

  tsLicense = new TTabSheet(SetupPages);
  lblReadLicense = NewLabel(tsLicense, 8, 6, "Please read the following License Agreement.");
  reLicense = new TRichEdit(tsLicense);
  reLicense->SetBounds(8, 24, 465, 172);
  lblMustAccept = new TLabel(tsLicense,
                             "You must accept the terms of this agreement before continuing with the installation.");
  lblMustAccept->AutoSize = false;
  lblMustAccept->SetBounds(8, 202, 465, 28);
  rbAccept = NewBox<TRadioButton>(tsLicense, 8, 232, 300, "I &accept the agreement");
  rbNotAccept = NewBox<TRadioButton>(tsLicense, 8, 252, 300, "I &do not accept the agreement");
  rbNotAccept->SetChecked(true);
  rbAccept->OnClick = [this] { rbAcceptClick(); };
  rbNotAccept->OnClick = [this] { rbAcceptClick(); };

  tsLanguage = new TTabSheet(SetupPages);
  tsLanguage->OnShow = [this] { tsLanguageShow(); };
  lblSelectLanguage = NewLabel(tsLanguage, 8, 6, "Please select a language for the program");
  lstLanguage = new TListBox(tsLanguage);
  lstLanguage->SetBounds(8, 26, 240, 160);

  tsFirst = new TTabSheet(SetupPages);
  tsFirst->OnShow = [this] { tsFirstEnter(); };
  lblDestination = NewLabel(tsFirst, 12, 116, "Destination directory");
  lblPath = new TLabel(tsFirst);
  lblPath->Alignment = DT_LEFT | DT_NOPREFIX;  // a folder's "&" is no mnemonic
  lblPath->SetBounds(12, 138, 0, 0);
  btnBrowse = new TButton(tsFirst, "&Browse...");
  btnBrowse->SetBounds(384, 132, 85, 25);
  btnBrowse->OnClick = [this] { btnBrowseClick(); };
  chkDeskTop = NewBox<TCheckBox>(tsFirst, 12, 176, 400, "");
  chkCreateFolder = NewBox<TCheckBox>(tsFirst, 12, 200, 400, "");

  tsSecond = new TTabSheet(SetupPages);
  lblCopyProgress = NewLabel(tsSecond, 12, 116, "Copy files progress");
  gProgress = new TProgressBar(tsSecond);
  gProgress->SetBounds(12, 138, 457, 20);

  tsThird = new TTabSheet(SetupPages);
  chkLaunch = NewBox<TCheckBox>(tsThird, 12, 140, 300, "Launch \"Kelvanto\"");
  chkLaunch->SetChecked(true);

  pb = new TPaintBox(tsFirst);
  pb->SetBounds(0, 0, 481, 110);
  pb->OnPaint = [this](TCanvas& c) { pbPaint(c); };

  btnNext = new TButton(this, "&Next");
  btnNext->SetBounds(326, 334, 75, 25);
  btnNext->SetDefault(true);
  btnNext->SetEnabled(false);
  btnNext->OnClick = [this] { btnNextClick(); };
  btnCancel = new TButton(this, "&Cancel");
  btnCancel->SetBounds(410, 334, 75, 25);
  btnCancel->Cancel = true;
  btnCancel->OnClick = [this] { btnCancelClick(); };

  SetCaption("Install");
  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  FormCreate();
}

TfrmInstall::~TfrmInstall() {
  // The thread's events point into this form.
  operations_.reset();
}

void TfrmInstall::FormCreate() {
  lblMain->SetCaption("Kelvanto Install ");
  icon_.Reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "programIcon", IMAGE_ICON, 32, 32, 0)));
  chkDeskTop->SetCaption("Put shortcut on the desktop");
  chkDeskTop->SetChecked(true);
  chkCreateFolder->SetCaption("Create Group Menu Folder - \"Kelvanto\"");
  chkCreateFolder->SetChecked(true);
  for (int i = 0; i < SetupPages->PageCount(); ++i) SetupPages->Pages(i)->SetTabVisible(false);
  // Without tabs the page control has nothing to take the focus for: Tab
  // goes straight to the page's controls.
  SetWindowLongPtrA(SetupPages->Handle(), GWL_STYLE, GetWindowLongPtrA(SetupPages->Handle(), GWL_STYLE) & ~WS_TABSTOP);
  SetupPages->TabStop = false;
}

void TfrmInstall::FormShow() {
  PageText = kWelcomeText;
  Step = stBeforeCopy;
  SetupPages->SetActivePage(tsLicense);
  com_ = std::make_unique<TComApartment>();
  fileList_ = BuildFileList();
  std::string licence;
  if (KvtSetup::LoadResourceToStream("agreement", licence)) reLicense->LoadFromMemory(licence);
  ActiveControl = reLicense;

  std::string programFiles = ReadProgramFilesDir();
  if (!programFiles.empty()) {
    if (programFiles.back() != '\\') programFiles += '\\';
    InstallDirectory = programFiles + "KVT";
  } else {
    InstallDirectory = kDefaultInstallDirectory;
    CreateDirectoryA("C:\\Program Files", nullptr);
  }

  lblVersion->SetLeft(Width() - lblVersion->Width() - 22);
  FitPath();
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  SetBounds(work.left + (work.right - work.left - Width()) / 2,
            work.top + (work.bottom - work.top - Height()) / 2, Width(), Height());
}

void TfrmInstall::FitPath() {
  const int room = btnBrowse->Left() - lblPath->Left() - 10;
  TWindowDC dc;
  TSelectObject font(dc.Get(), lblPath->Font().Handle());
  std::string shortened, fitted;
  ShortenPathToWidth(InstallDirectory, dc.Get(), room, shortened);
  lblPath->SetCaption(FitTextToWidth(lblPath->Font().Handle(), shortened, room, fitted, dc.Get()));
}

void TfrmInstall::FormCloseQuery(bool& canClose) {
  if (Step == stDone) return;
  asking_ = true;
  const bool quit = MessageBoxA(hwnd_, "Are you sure you want to quit?", "Confirmation",
                                MB_YESNO | MB_ICONQUESTION) == IDYES;
  if (quit && Step == stCopying && operations_) {
    // The thread deletes its partial file; what it copied stays. Its end is
    // still taken as asked for, so the links are not made now.
    operations_->StopAndWait();
  }
  asking_ = false;
  if (quit) return;
  canClose = false;
  if (!endedWhileAsking_) return;
  endedWhileAsking_ = false;
  if (operations_->Status == TOperations::stFailed) {
    Step = stDone;
    canClose = true;
    return;
  }
  OperationsEnded(operations_->Status);
}

void TfrmInstall::btnNextClick() {
  const int page = SetupPages->ActivePageIndex();
  if (page < tsFirst->PageIndex()) {
    SetupPages->SetActivePageIndex(page + 1);
  } else if (Step != stCopying) {
    // While copying, only the copy's end moves on.
    NextStep();
  }
}

void TfrmInstall::btnCancelClick() { Close(); }

void TfrmInstall::btnBrowseClick() {
  const std::string folder = BrowseInstallFolder();
  if (folder.empty()) return;
  InstallDirectory = folder + "KVT";
  FitPath();
  btnNext->SetFocus();
}

void TfrmInstall::pbPaint(TCanvas& canvas) {
  canvas.SetFont(pb->Font());
  SetBkMode(canvas.Handle(), TRANSPARENT);
  PaintJustifiedText(canvas, PageText, pb->Width(), 22);
}

void TfrmInstall::tsLanguageShow() {
  lstLanguage->Items.Clear();
  for (const TSetupLanguage& language : SetupLanguages) lstLanguage->Items.Add(language.Caption);
  lstLanguage->SetItemIndex(0);
  lstLanguage->SetFocus();
}

void TfrmInstall::rbAcceptClick() { btnNext->SetEnabled(rbAccept->Checked()); }

void TfrmInstall::tsFirstEnter() { btnNext->SetFocus(); }

void TfrmInstall::OperationsProgress(int32_t percent) { gProgress->SetPosition(percent); }

void TfrmInstall::OperationsError(uint32_t errorCode, const std::string& errorText) {
  std::string text;
  ShowSystemError(true, errorCode, text, "", errorText, hwnd_);
}

void TfrmInstall::OperationsTerminated() {
  // A failed copy leaves nothing of this run behind, its folder included.
  if (operations_->Status == TOperations::stFailed && madeInstallDirectory_)
    RemoveDirectoryA(InstallDirectory.c_str());
  if (asking_) {
    endedWhileAsking_ = true;
    return;
  }
  OperationsEnded(operations_->Status);
}

void TfrmInstall::OperationsEnded(int32_t status) {
  if (status == TOperations::stDone) {
    NextStep();
  } else if (status == TOperations::stFailed) {
    Step = stDone;
    Close();
  }
}

void TfrmInstall::NextStep() {
  switch (Step) {
    case stBeforeCopy:
      if (!PrepareInstallDirectory()) return;
      Step = stCopying;
      // Disabled here, before any queued press of it can come through.
      btnNext->SetEnabled(false);
      // A disabled Next would leave no control with the focus.
      btnCancel->SetFocus();
      ShowPage(tsSecond, kCopyingText);
      StartOperations();
      break;
    case stCopying:
      Step = stDone;
      MakeLinks();
      WriteRegistry();
      btnNext->SetEnabled(true);
      btnNext->SetCaption("Finish");
      btnNext->SetFocus();
      btnCancel->SetEnabled(false);
      ShowPage(tsThird, kFinishText);
      break;
    default:
      if (chkLaunch->Checked())
        Launch(InstallDirectory + ProgramFileName, InstallDirectory);
      else if (chkCreateFolder->Checked() && !GroupFolder.empty())
        Launch(GroupFolder, GroupBase);
      Close();
      break;
  }
}

void TfrmInstall::StartOperations() {
  operations_ = NewOperations(fileList_);
  operations_->Folder = InstallDirectory;
  operations_->OnProgress = [this](TOperations*, int32_t percent) { OperationsProgress(percent); };
  operations_->OnError = [this](TOperations*, uint32_t code, const std::string& text) {
    OperationsError(code, text);
  };
  operations_->OnTerminate = [this] { OperationsTerminated(); };
  operations_->Resume();
}

void TfrmInstall::ShowPage(TTabSheet* page, const std::string& text) {
  PageText = text;
  pb->SetParent(page);
  SetupPages->SetActivePage(page);
  pb->Invalidate();
}

void TfrmInstall::MakeLinks() {
  const std::string program = InstallDirectory + ProgramFileName;
  if (chkDeskTop->Checked()) {
    std::string desktop = GetSpecialFolder(kAllUsersDesktop);
    if (desktop.empty()) desktop = GetSpecialFolder(kUserDesktop);
    const std::string link = desktop + "\\Kelvanto.lnk";
    if (!desktop.empty() && MakeLink(hwnd_, link, program, InstallDirectory)) desktopLink_ = link;
  }
  if (!chkCreateFolder->Checked()) return;
  GroupBase = GetSpecialFolder(kAllUsersPrograms);
  if (GroupBase.empty()) GroupBase = GetSpecialFolder(kUserPrograms);
  if (GroupBase.empty() || !ForceInstallDirectory(GroupBase + "\\Kelvanto")) return;
  GroupFolder = GroupBase + "\\Kelvanto";
  const struct {
    const char* name;
    const char* target;
    std::string& made;
  } links[] = {
      {"\\Start Kelvanto.lnk", ProgramFileName, startLink_},
      {"\\KVT help.lnk", HelpFileName, helpLink_},
      {"\\Uninstall Kelvanto.lnk", UninstallerFileName, uninstallLink_},
  };
  for (const auto& l : links)
    if (MakeLink(hwnd_, GroupFolder + l.name, InstallDirectory + l.target, InstallDirectory))
      l.made = GroupFolder + l.name;
}

std::vector<TRegistryKey> TfrmInstall::RegistryKeys() const {
  TRegistryKey uninstall{UninstallRegistryKey, {}};
  auto& u = uninstall.Values;
  u.push_back(Text("DisplayName", "Kelvanto (remove only)"));
  // Quoted: unquoted, a path with blanks could start another program.
  u.push_back(Text("UninstallString", "\"" + InstallDirectory + UninstallerFileName + "\""));
  if (!GroupFolder.empty()) u.push_back(Text("FolderName", GroupFolder));
  if (!startLink_.empty()) u.push_back(Text("LinkKELVO", startLink_));
  if (!uninstallLink_.empty()) u.push_back(Text("LinkUninstall", uninstallLink_));
  if (!helpLink_.empty()) u.push_back(Text("LinkHelp", helpLink_));
  if (!desktopLink_.empty()) u.push_back(Text("LinkDeskTop", desktopLink_));
  u.push_back(Text("SourceDirectory", InstallDirectory));

  const int language = lstLanguage->ItemIndex();
  const char* languageId =
      language >= 0 && size_t(language) < SetupLanguages.size() ? SetupLanguages[size_t(language)].LanguageId : "";
  TRegistryKey program{ProgramRegistryKey,
                       {Number("VersionHi", 2), Number("VersionLo", 6), Text("LanguageId", languageId)}};
  return {uninstall, program};
}

void TfrmInstall::WriteRegistry() {
  // The files and links are in place whatever fails here: each failure is
  // told, and the wizard still finishes.
  for (const TRegistryKey& key : RegistryKeys()) {
    const DWORD code = WriteRegistryKey(key);
    if (code == ERROR_SUCCESS) continue;
    std::string text;
    ShowSystemError(true, code, text, key.Path, "Error", hwnd_);
  }
}

void TfrmInstall::Launch(const std::string& file, const std::string& folder) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = hwnd_;
  info.lpVerb = "open";
  info.lpFile = file.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExA(&info)) return;
  const DWORD code = GetLastError();
  std::string text;
  ShowSystemError(true, code, text, file, "Error", hwnd_);
}

bool TfrmInstall::ForceInstallDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  // A file of that name is no folder to install into.
  if (attributes == INVALID_FILE_ATTRIBUTES && CreateFolder(path)) return true;
  const DWORD code = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_ALREADY_EXISTS;
  ShowFolderError(kCannotCreateText + path, code);
  return false;
}

bool TfrmInstall::PrepareInstallDirectory() {
  // Checked before anything is made: a copy that cannot name a file fails
  // midway.
  if (!KvtSetup::NamesFitInFolder(InstallDirectory, fileList_)) {
    ShowFolderError(kPathTooLongText + InstallDirectory + kShorterPathText, ERROR_SUCCESS);
    return false;
  }
  const DWORD before = GetFileAttributesA(InstallDirectory.c_str());
  if (!ForceInstallDirectory(InstallDirectory)) return false;
  madeInstallDirectory_ = before == INVALID_FILE_ATTRIBUTES;
  const DWORD code = KvtSetup::TryWriteInFolder(InstallDirectory);
  if (code == ERROR_SUCCESS) return true;
  ShowFolderError(kCannotWriteText + InstallDirectory + "\r\n" + SysErrorMessage(code), code);
  if (madeInstallDirectory_) RemoveDirectoryA(InstallDirectory.c_str());
  return false;
}

void TfrmInstall::ShowFolderError(std::string text, DWORD code) {
  if (code == ERROR_ACCESS_DENIED) text += kAdminRightsText;
  MessageBoxA(hwnd_, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

std::string TfrmInstall::GetSpecialFolder(int folder) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::string TfrmInstall::ReadProgramFilesDir() {
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
  if (!reg.OpenKeyReadOnly("Software\\Microsoft\\Windows\\CurrentVersion")) return {};
  return reg.ReadString("ProgramFilesDir").value_or("");
}

std::string TfrmInstall::BrowseInstallFolder() {
  std::string folder;
  BrowseForFolder(hwnd_, Caption(), folder);
  return folder;
}

bool TfrmInstall::CreateFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr); }

DWORD TfrmInstall::WriteRegistryKey(const TRegistryKey& key) {
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_SET_VALUE);
  bool ok = reg.OpenKey(key.Path, true);
  for (size_t i = 0; ok && i < key.Values.size(); ++i) {
    const TRegistryValue& v = key.Values[i];
    ok = v.Type == REG_DWORD ? reg.WriteInteger(v.Name, v.Number) : reg.WriteString(v.Name, v.Text);
  }
  return ok ? ERROR_SUCCESS : DWORD(reg.LastError());
}

std::unique_ptr<TOperations> TfrmInstall::NewOperations(const std::vector<std::string>& fileList) {
  return std::make_unique<TThreadOf<TOperations>>(fileList);
}
