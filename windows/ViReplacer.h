#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/PylBitBtn.h"
#include "controls/StringGrid.h"
#include "core/SelectedItem.h"
#include "framework/Forms.h"
#include "framework/Thread.h"

// Posted by the thread's end handler; the wait for the thread happens in its
// handler, outside the thread's own synchronised end call.
constexpr UINT WM_OPERATIONDONE = WM_USER + 15;

// Layouts of InitSummary.
constexpr int ViewReplaceLayout = 2;
constexpr int ViewRenameLayout = 4;

// The modal window in which a replace, batch replace or rename job runs: a
// row per file with its outcome, a summary of counts and sizes, Stop, and
// after a replace job the filter by outcome. Its starter binds the worker's
// events to its handlers, starts the worker, shows it modally and frees the
// worker before the window.
class TViewRenReplacer : public TForm {
 public:
  TViewRenReplacer();
  ~TViewRenReplacer() override;

  TPanel* pnlFilesComment;
  TPanel* pnlBtn;
  TLabel* lblFilesToShow;
  TRadioButton* rbAll;
  TRadioButton* rbSuccess;
  TRadioButton* rbUnchanged;
  TRadioButton* rbFailed;
  TPylBitBtn* btnHelpF;
  TPylBitBtn* btnCancel;
  TStringGrid* sgInfo;
  TStringGrid* sgStatus;

  TThread* Thread = nullptr;
  // 0 while the job runs; set by the thread's end handler.
  uint8_t Finished = 0;
  uint32_t Files = 0, UnchangedCount = 0, SuccessfulCount = 0, FailedCount = 0;
  int64_t AllBefore = 0, AllAfter = 0, SuccessfulBefore = 0, SuccessfulAfter = 0;

  void InitSummary(int layout);
  bool ReplaceLayout() const { return sgInfo->ColCount == 6; }

  // Replace and batch jobs.
  void GetNextFile(TThread* sender, TSelectedItem*& item);
  void FileDone(TThread* sender, TItemUpdate& status);
  void ShowProgress(TThread* sender, int32_t result, int32_t stage, int32_t matches, int64_t sizeBefore,
                    int64_t sizeAfter);
  void ThreadTerminated();
  // Rename jobs.
  void RenameFileDone(TThread* sender, const std::string& message);
  void RenameProgress(TThread* sender, int32_t result);
  void RenameTerminated();

  // Binds a replace worker's events (both replace threads have the same ones).
  template <class TWorker>
  void BindReplaceWorker(TWorker& worker);
  template <class TWorker>
  void BindRenameWorker(TWorker& worker);

  void OperationDone();
  void rbAllClick(const TRadioButton* sender);
  void FormKeyDown(WORD& key, unsigned shift);
  void btnHelpFClick();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void FormCreate();
  void FormResize();
  void PlaceOverMainWindow();
  void AddRow(const std::string& text);
  void FollowNewestRow();
  // The rows and the status line are shown a few times a second while the
  // job runs, at once after it: a fast job is not held up by repainting.
  void ShowChanges(bool holdOn);
  void SysClose();
  void Ended();
  void SetCount(int row, uint32_t count) { sgStatus->SetCells(1, row, std::to_string(count)); }
  std::vector<std::vector<std::string>> savedRows_;
  bool rowsSaved_ = false;
  TTimer follow_;
  std::string status_;
};

template <class TWorker>
void TViewRenReplacer::BindReplaceWorker(TWorker& worker) {
  Thread = &worker;
  worker.OnGetNextFile = [this](TThread* s, TSelectedItem*& item) { GetNextFile(s, item); };
  worker.OnFileDone = [this](TThread* s, TItemUpdate& status) { FileDone(s, status); };
  worker.OnProgress = [this](TThread* s, int32_t result, int32_t stage, int32_t matches, int64_t before,
                             int64_t after) { ShowProgress(s, result, stage, matches, before, after); };
  worker.OnTerminate = [this] { ThreadTerminated(); };
}

template <class TWorker>
void TViewRenReplacer::BindRenameWorker(TWorker& worker) {
  Thread = &worker;
  worker.OnFileDone = [this](TThread* s, const std::string& message) { RenameFileDone(s, message); };
  worker.OnProgress = [this](TThread* s, int32_t result) { RenameProgress(s, result); };
  worker.OnTerminate = [this] { RenameTerminated(); };
}

// Runs start over the active pane's selection walk ("No files selected!"
// when the walk cannot begin; nothing while a job or a plug-in runs); on every path out of start the busy flag is
// cleared, the walk ended and the panes reread.
void RunOverSelection(HWND owner, const std::function<void()>& start);
