#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "controls/ButtonsNew.h"
#include "controls/OrvStatusBar.h"
#include "controls/PylBitBtn.h"
#include "controls/PylStringGrid.h"
#include "framework/Forms.h"
#include "windows/Finder.h"

// View modes of the results window.
constexpr int ResultsBrief = 1;
constexpr int ResultsFull = 2;

// The modal window over the main window that shows ResultsList: the finder's
// hits while the search thread still adds them, or the renamer's plan as a
// preview. Every access to the list takes ResultsLock.
class TSrchRes : public TForm, public IFinderWindow {
 public:
  TSrchRes();
  ~TSrchRes() override;

  TPylStringGrid* sgTitle;
  TPylStringGrid* sgFinder;
  TOrvStatusBar* sbFilesComment;
  TPanel* pnlForFinder;
  TGroupBox* gbxSends;
  TPylBitBtn* btnSendToBasket;
  TPylBitBtn* btnGoToFile;
  TGroupBox* gbxOperations;
  TPylBitBtn* btnStopSearch;
  TPylBitBtn* btnHelpF;
  TGroupBox* gbViewMode;
  TSpeedButtonNew* btnSetModeBrief;
  TSpeedButtonNew* btnSetModeFull;
  TPanel* pnlForRenamer;
  TPylBitBtn* btnStartRename;
  TPylBitBtn* btnHlpRenamer;
  TPylBitBtn* btnExit;

  // Four bits a column: its kind of GetColumnText.
  uint32_t ColumnKinds = 0;
  // Three bits a column: 0 name, 1 extension, 2 size, 3 date, 7 none.
  uint32_t SortKeys = 0;
  // Nine bits a column: its share of 480 of the full view's width.
  uint64_t ColumnShares = 0;
  int RowHeight = 18;
  std::array<int, 7> ColWidth{};
  // Whether the last row the right button toggled became selected.
  bool RowSelected = false;
  int32_t RowCount = 0;
  // SelSet or SelClear while the right button is held.
  int DragOperation = 0;
  int ViewMode = ResultsFull;
  // Set when "Start Rename" closed the preview: the renamer then renames.
  bool StartRename = false;

  // The running search, given by the starter before the window is shown.
  TFinder* Finder = nullptr;
  // Set when "Go to file" closed the window: the starter focuses the pane.
  bool WentToFile = false;

  void InitForFinder();
  void InitForRenamePreview();
  // The search thread's OnTerminate.
  void FinderTerminated();
  void UpdateButtons();
  void GoToFile();
  bool SearchEnded() const { return searchEnded_; }
  bool PreviewMode() const { return preview_; }
  // The list entry a grid row shows (position 0: a folder's header row);
  // false for none. Call it holding ResultsLock.
  bool RowItem(int row, uint32_t& dir, uint32_t& pos) const;
  // A full view column's text for a list entry, as the grid shows it. Call
  // it holding ResultsLock.
  std::string ColumnText(int col, uint32_t dir, uint32_t pos) const;

  // IFinderWindow
  bool FullView() const override { return ViewMode == ResultsFull; }
  void ShowStatus(const std::string& text) override;
  void SetRowCount(int32_t rows, int32_t gridRows) override;

  void FormResize();
  void FormKeyDown(WORD& key, unsigned shift);
  void sgFinderDrawCell(int col, int row, const RECT& rect, unsigned state, TCanvas& c);
  void sgFinderKeyDown(WORD& key, unsigned shift);
  void sgFinderMouseDown(TMouseButton button, unsigned shift, int x, int y);
  void sgFinderMouseMove(unsigned shift, int x, int y);
  void sgFinderTopLeftChanged();
  void sgTitleDrawCell(int col, int row, const RECT& rect, unsigned state, TCanvas& c);
  void sgTitleMouseUp(TMouseButton button, unsigned shift, int x, int y);
  void sbFilesCommentResize();
  void btnStopSearchClick();
  void btnSendToBasketClick();
  void btnGoToFileClick();
  void btnSetModeBriefClick();
  void btnHelpFClick();
  void btnStartRenameClick();
  void btnExitClick();
  // False when the command is left to the system.
  bool WMSysCommand(WPARAM command);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  void PlaceOverMainWindow();
  int ColumnCount() const;
  int KindOf(int col) const { return int((ColumnKinds >> (4 * col)) & 0xF); }
  int SortKeyOf(int col) const { return int((SortKeys >> (3 * col)) & 7); }
  // Folder header rows are shown.
  bool HeaderRows() const;
  // Sample widths for the fixed columns, the rest shared; widths the user
  // set stay.
  void ArrangeColumns();
  int SampleWidth(int kind, const char* sample) const;
  void ChangeSort(int col);
  // Applies a selection operation to one row's entry.
  void SelectRow(int row, int operation);
  void SelectAllFiles(int operation);
  void SelectionChanged();
  void UpdateBriefStatus(int row);
  void StopSearch();
  void CloseRequested();
  bool SearchRunning() const { return Finder && !searchEnded_; }

  std::unique_ptr<TImageList> sortImages_;
  std::string status_;
  int columns_ = 5;
  bool preview_ = false;
  bool searchEnded_ = false;
  bool measured_ = false;
  bool stopping_ = false;
  int dragRow_ = -1;
  // Bit per column resized by the user: its width stays.
  unsigned userSized_ = 0;
};
