#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/FileList.h"
#include "core/SelectedItem.h"
#include "framework/Handles.h"
#include "framework/Thread.h"

// Operation codes.
constexpr uint32_t opCopy = 1;
constexpr uint32_t opDelete = 2;
constexpr uint32_t opMove = 4;
constexpr uint32_t opSendToBasket = 8;
constexpr uint32_t opRemoveFromBasket = 16;

// Answer bits: decisions that hold for the rest of an operation.
constexpr uint32_t abHiddenYes = 1;
constexpr uint32_t abHiddenNo = 2;
constexpr uint32_t abReadOnlyYes = 4;
constexpr uint32_t abReadOnlyNo = 8;
constexpr uint32_t abOlderOnly = 16;
constexpr uint32_t abFoldersYes = 32;
constexpr uint32_t abFoldersNo = 64;
constexpr uint32_t abThisFolderYes = 128;

// Policies for an existing target.
constexpr int32_t tpSkip = 1;
constexpr int32_t tpOverwrite = 2;
constexpr int32_t tpRename = 3;
constexpr int32_t tpAsk = 4;

// Modal results of the confirmation dialog's buttons.
constexpr int qrYes = 6;  // Retry in the error question
constexpr int qrYesToAll = 10;
constexpr int qrYesAllOlder = 5;
constexpr int qrNo = 7;  // Skip in the error question
constexpr int qrNoToAll = 9;
constexpr int qrCancel = 2;  // Abort in the error question
constexpr int qrAutorename = 4;
constexpr int qrAutorenameAll = 3;

// Kinds of the confirmation dialog.
constexpr int qkTargetExists = 1;
constexpr int qkError = 2;
constexpr int qkAttribute = 3;
constexpr int qkCannotCreate = 5;
constexpr int qkNotEmpty = 6;

// Failing steps of the error questions (their sub-kind).
constexpr uint32_t skOpen = 1;
constexpr uint32_t skInformation = 2;
constexpr uint32_t skReplace = 3;  // the recycle bin, or putting a copy in place
constexpr uint32_t skCreate = 4;
constexpr uint32_t skCannotCreate = 5;  // of a folder
constexpr uint32_t skFolderLink = 6;
constexpr uint32_t skTimes = 7;
constexpr uint32_t skNotRemoved = 4;  // of a folder: a message only
// Failing steps of a delete.
constexpr uint32_t sdMissing = 1;
constexpr uint32_t sdAttributes = 2;
constexpr uint32_t sdRecycle = 3;
constexpr uint32_t sdDelete = 4;

// One question of the operation, in the confirmation dialog's terms.
struct TOperationQuestion {
  int Kind = qkTargetExists;
  uint32_t SubKind = 0;
  uint32_t Detail = 0;  // what it is about, or a system error code
  std::string Caption;  // the error question's ("Error file copy 4")
  std::string FirstPath, FirstDetail, SecondPath, SecondDetail;
  bool DeleteWording = false;
};

// The dialog's caption and message for a question, its paths as given.
std::string QuestionCaption(const TOperationQuestion& q);
std::string QuestionMessage(const TOperationQuestion& q);

// The windows of an operation as its thread sees them: the progress window
// and the confirmation dialog in the program, a scripted answerer in tests.
// Every call comes on the user-interface thread.
class IOperationView {
 public:
  virtual ~IOperationView() = default;
  // The modal result of one question.
  virtual int Ask(const TOperationQuestion& question) = 0;
  virtual void ShowMessage(const std::string& text, const std::string& caption, UINT icon) = 0;
  // The "from" and "to" lines: a prefix and a path to be fitted to the line.
  virtual void ShowNames(const std::string& fromPrefix, const std::string& from,
                         const std::string& toPrefix, const std::string& to) = 0;
  virtual void ShowProgress(int overall, int current) = 0;
};

// Copies, moves, deletes, sends to or removes from the basket the entries of
// the open selection walk. Make it as TThreadOf<TOperations>; the starter
// sets the job, then resumes it. It waits until its view is shown.
class TOperations : public TThread {
 public:
  TOperations();

  // The job.
  uint32_t Code = opCopy;
  std::string TargetFolder;  // with its backslash; empty: each item's own folder
  std::string NameMask;
  bool SameDrive = false;
  int32_t TargetPolicy = tpAsk;
  uint32_t AnswerBits = 0;
  uint32_t FilesDone = 0;
  uint32_t TotalFiles = 0;
  uint64_t TotalBytes = 0;
  uint64_t BytesDone = 0;
  // The basket as sending to it extends it; replaces the basket afterwards.
  TstateOfBrowser* BasketWork = nullptr;
  IOperationView* View = nullptr;
  // Receives the close command at the end (may be nil).
  HWND ProgressWindow = nullptr;
  // Of the program's own message boxes.
  std::string Caption;

  // The view is up: the thread may begin.
  void ViewShown() { SetEvent(shown_.Get()); }
  // A stop that also ends the wait for the view.
  void RequestStop();

 protected:
  void Execute() override;

 private:
  void ProcessItem(const TSelectedItem& item);
  void ProcessFolder(const std::string& source, const std::string& target);
  void ProcessFile();
  void HandleFolderLink(const std::string& path);
  void RefuseUnnamed();
  int CopyOneFile();
  bool CopyBytes(HANDLE source, HANDLE target);
  bool FinishCopy(THandle& target, bool& named);
  bool TakeName(HANDLE copy, bool& named);
  bool PutCopyInPlace(const std::string& written);
  void MoveOneFile();
  void DeleteOneFile(bool allowRecycle);
  bool RemoveOneFile(const std::string& path, bool recycle, uint32_t& failedStep, DWORD& error);
  void SendOneToBasket(const std::string& folder, bool isFile);
  int MakeDir(const std::string& path);
  void RemoveDir(const std::string& path);
  THandle OpenSource();
  void CheckExistingTarget();
  bool AcceptAttributes(DWORD attributes, int kind);
  void AutoRename();
  void ResolveExistingTarget();
  void RefuseSelfTarget();
  bool IsSourceItself(const std::string& path);
  int AskUser(int kind, uint32_t subKind, uint32_t detail, const std::string& detailText = "");
  bool AskRetry(int kind, uint32_t subKind, DWORD error, const std::string& detailText = "");
  void Warn(const std::string& caption, DWORD error);
  void Inform(const std::string& text, UINT icon);
  void SyncNames(bool force = false);
  void SyncProgress(bool force = false);
  void Flush(bool force);
  void ShowReport();

  THandle shown_;
  TGlobalBlock bufferBlock_;
  uint8_t* buffer_ = nullptr;
  int32_t overallPercent_ = -1;
  int32_t currentPercent_ = 0;
  std::string currentName_, currentTarget_, currentSource_;
  std::string targetDescription_, sourceDescription_;
  uint8_t answer_ = 1;
  int32_t decision_ = tpAsk;
  // The target exists and is to be replaced once its copy is complete.
  bool overwrite_ = false;
  BY_HANDLE_FILE_INFORMATION sourceInfo_{};
  BY_HANDLE_FILE_INFORMATION targetInfo_{};
  FILETIME sourceTimes_[3]{};
  bool namesDirty_ = false, progressDirty_ = false;
  DWORD lastReport_ = 0;
  // What the window is to show next, handed from the thread to the window.
  struct TReport {
    bool Names = false, Progress = false;
    bool Posted = false;  // a call to show it is on its way
    int FromPrefix = 0;  // text id
    std::string From, To;
    int Overall = 0, Current = 0;
  };
  TCriticalSection reportLock_;
  TReport report_;
};

// A name with its extension masked: "*" the part, "?" one character of it,
// "." between name and extension; an empty mask keeps the name.
std::string ApplyNameMask(const std::string& mask, const std::string& name);
// Both paths on one drive letter; network paths never are.
bool SameDrive(const std::string& a, const std::string& b);
bool IsDirectory(const std::string& path);
// target is folder itself or lies inside it, by the full paths or by the
// identity of target or of an existing folder above it.
bool IsInsideFolder(const std::string& folder, const std::string& target);

// Faults of the copy loop that no real file system gives a root process.
namespace OperationsTesting {
enum class TFault { None, ShortRead, FailRead, ShortWrite, FailWrite, FailTimes, FailClose,
                    FailAttributes };
void InjectFault(TFault fault);
// A pause after every chunk, for a copy slow enough to watch.
void SetChunkDelay(DWORD ms);
// The process dies, as if killed, when a copy first reaches the step: after
// its first chunk, before its times, its attributes, its name, its close.
enum class TStep { None, MidCopy, Times, Attributes, Name, Close };
constexpr UINT KilledExitCode = 9;
void KillAt(TStep step);
}  // namespace OperationsTesting
