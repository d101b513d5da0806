#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/OleAuto.h"
#include "setup/Operations.h"

// One value of a registry key the wizard writes: REG_SZ from Text, REG_DWORD
// from Number.
struct TRegistryValue {
  std::string Name;
  DWORD Type = REG_SZ;
  std::string Text;
  DWORD Number = 0;
};

// A key under HKEY_LOCAL_MACHINE, created when missing, and its values.
struct TRegistryKey {
  std::string Path;
  std::vector<TRegistryValue> Values;
};

// The "LanguageId" written for each entry of the language list, in its order.
struct TSetupLanguage {
  const char* Caption;
  const char* LanguageId;
};
extern const std::vector<TSetupLanguage> SetupLanguages;

// The installer's one window: licence, language, folder and links, the copy,
// and the finish page, moved between only by Next and Cancel.
class TfrmInstall : public TForm {
 public:
  enum TStep { stBeforeCopy = 0, stCopying = 1, stDone = 2 };

  TfrmInstall();
  ~TfrmInstall() override;

  TLabel* lblMain;
  TPaintBox* brandIcon;
  TLabel* lblVersion;
  TPageControl* SetupPages;
  TTabSheet* tsLicense;
  TLabel* lblReadLicense;
  TRichEdit* reLicense;
  TLabel* lblMustAccept;
  TRadioButton* rbAccept;
  TRadioButton* rbNotAccept;
  TTabSheet* tsLanguage;
  TLabel* lblSelectLanguage;
  TListBox* lstLanguage;
  TTabSheet* tsFirst;
  TLabel* lblDestination;
  TLabel* lblPath;
  TButton* btnBrowse;
  TCheckBox* chkDeskTop;
  TCheckBox* chkCreateFolder;
  TTabSheet* tsSecond;
  TLabel* lblCopyProgress;
  TProgressBar* gProgress;
  TTabSheet* tsThird;
  TCheckBox* chkLaunch;
  // Moved onto the page being shown.
  TPaintBox* pb;
  TButton* btnNext;
  TButton* btnCancel;

  int Step = stBeforeCopy;
  // Without a trailing backslash, as the installed names begin with one.
  std::string InstallDirectory;
  // The programs folder, and the group folder made in it ("" until made).
  std::string GroupBase;
  std::string GroupFolder;
  std::string PageText;

  void FormCreate();
  void FormShow();
  void FormCloseQuery(bool& canClose);
  void btnNextClick();
  void btnCancelClick();
  void btnBrowseClick();
  void pbPaint(TCanvas& canvas);
  void tsLanguageShow();
  void rbAcceptClick();
  void tsFirstEnter();
  void OperationsProgress(int32_t percent);
  void OperationsError(uint32_t errorCode, const std::string& errorText);
  void OperationsTerminated();
  void NextStep();
  void StartOperations();
  // True when path is a folder or could be made one (its parent must exist);
  // else an error box, and false.
  bool ForceInstallDirectory(const std::string& path);
  // The folder page's checks before the copy: every installed file's path
  // fits, the folder exists or is made, and a file can be written there;
  // else an error box, and false.
  bool PrepareInstallDirectory();
  // A shell folder's path (CSIDL number), or "" when there is none.
  static std::string GetSpecialFolder(int folder);
  // What the wizard writes, from the choices made and the links created.
  std::vector<TRegistryKey> RegistryKeys() const;

 protected:
  // Where a test stands in for what it cannot make fail or answer here.
  // "ProgramFilesDir" of the system, or "" when it has none.
  virtual std::string ReadProgramFilesDir();
  // The folder chosen in the system's folder dialog, with its trailing
  // backslash, or "" when cancelled.
  virtual std::string BrowseInstallFolder();
  // CreateDirectory, leaving the system's error code on failure.
  virtual bool CreateFolder(const std::string& path);
  // 0, or the system's error code of the first open or write that failed.
  virtual DWORD WriteRegistryKey(const TRegistryKey& key);
  virtual std::unique_ptr<KvtSetup::TOperations> NewOperations(const std::vector<std::string>& fileList);

 private:
  void ShowPage(TTabSheet* page, const std::string& text);
  // Adds the hint on rights to an access-denied error.
  void ShowFolderError(std::string text, DWORD code);
  void FitPath();
  void MakeLinks();
  void WriteRegistry();
  void OperationsEnded(int32_t status);
  void Launch(const std::string& file, const std::string& folder);

  std::unique_ptr<TComApartment> com_;
  std::vector<std::string> fileList_;
  std::unique_ptr<KvtSetup::TOperations> operations_;
  // The links made, "" for those not made.
  std::string desktopLink_, startLink_, helpLink_, uninstallLink_;
  TIcon icon_;
  // The quit question is open; a copy that ends meanwhile waits for its answer.
  bool asking_ = false;
  bool endedWhileAsking_ = false;
  // This run made the install folder, so a failed copy removes it.
  bool madeInstallDirectory_ = false;
};
