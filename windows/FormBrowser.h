#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "controls/ButtonsNew.h"
#include "controls/DriveBar.h"
#include "controls/OrvHeader.h"
#include "controls/OrvStatusBar.h"
#include "controls/PylStringGrid.h"
#include "core/FileList.h"
#include "core/IconReader.h"
#include "framework/Forms.h"
#include "framework/StringList.h"
#include "windows/SelectionWalk.h"

class TBrowserForm;

// What a pane needs of the main window that holds it.
class IPaneHost {
 public:
  virtual ~IPaneHost() = default;
  virtual void UpdateStartAction() = 0;
  // The send-to-basket command (file operation 8) over the pane's marks.
  virtual void SendToBasket() = 0;
  // The pane got the focus: it becomes the main window's active panel.
  virtual void PaneEntered(TBrowserForm& pane) = 0;
  // The shared drive bar takes the pane's drive buttons' down states and its
  // info panel the pane's drive text and width; then it is arranged again.
  virtual void FollowActivePane(TBrowserForm& pane) = 0;
  virtual void UpdateMainModeButtons(bool briefDown, bool fullDown, bool jumpsEnabled) = 0;
  // Evens out the tops of the two panes.
  virtual void EvenPaneTops() = 0;
  // The menu that every drive bar's menu button drops.
  virtual TPopupMenu* DriveMenu() = 0;
  // The program's own 16 x 16 pictures (icon value -n-1 is image n).
  virtual HIMAGELIST ImageListBrowser() = 0;
  // The header's sort marks.
  virtual HIMAGELIST UpDownImages() = 0;
};

// The pane that last received the focus (nil before the first).
extern TBrowserForm* ActivePane;
// Colours of the file grids: [0] text, [1] background, [2] marked text,
// [3] current row background, [4] current row text.
extern std::array<TColor, 5> MainColors;
// A settings colour number (0 the slot's default, 1 to 11 the colour list)
// for slot 1 to 5 of MainColors.
TColor MainColorValue(int number, int slot);
// The font of every file grid, made by the first pane that loads its settings.
extern std::optional<TFont> FilesFont;
// The last folder shown on each drive, one entry per drive, for this run.
extern TStringList RememberedFolders;

// The grid's Tag handshake: a cell may be selected only while it holds 2.
constexpr intptr_t GridMoveAllowed = 2;
constexpr intptr_t GridMoveDone = 1;

// One file-browser pane: a folder, a tree or the basket in a grid, with its
// address line, header, drive bar, free-space line and status line.
class TBrowserForm : public TForm, public ISelectionPane {
 public:
  // name: "LeftBrowser" takes the left lists, any other the right ones.
  TBrowserForm(TWinControl* parent, const std::string& name, IPaneHost& host);
  ~TBrowserForm() override;
  const std::string& Name() const { return name_; }

  TPanel* pnlView;
  TPanel* pnlDisks;
  TPanel* pnlTwoButtons;
  TSpeedButtonNew* btnRunToRoot;
  TSpeedButtonNew* btnUpToOneLevel;
  TPanel* pnlSizeInfo;
  TPanel* SspRMain;
  TPanel* pnlBrowserToolbar;
  TComboBox* cmbDrives;
  TPanel* pnlInfo;
  TPanel* pnlRightJumpButtons;
  TSpeedButtonNew* btnRJumpToRoot;
  TSpeedButtonNew* btnRUpOneLevel;
  TPanel* pnlAddressLine;
  TOrvHeader* sgTitle;
  TPylStringGrid* sgBrowser;
  TOrvStatusBar* sbFilesComment;
  TPanel* pnlBottomButtons;
  TSpeedButtonNew* btnSendTobasket;
  TLabel* lblBasketInfo;
  TTimer timerForCM;

  // State, as the main window and the tests read it.
  int32_t TreeRowCount = 0;
  int32_t BasketRowCount = 0;
  int32_t TextHeight = 0;
  TstateOfBrowser* CMList = nullptr;
  uint32_t CMDir = 0, CMPos = 0;
  int32_t CMPointX = 0, CMPointY = 0;
  bool Busy = false;
  int32_t LastCol = 0, LastRow = 0;
  int32_t RightDragAction = 8;  // 2 mark, 4 unmark, 8 nothing
  uint32_t ColumnKinds = 0x43210;
  TstateOfBrowser* FolderList = nullptr;
  TstateOfBrowser* BasketList = nullptr;  // the pane's view of the basket
  int Mode = PaneFull;
  int BasketMode = 2;
  int OldMode = PaneFull;
  char DriveLetter = 0;  // '\\' the network, '*' the basket pseudo-drive
  int32_t CurrentIndex = 0;
  // The layout bits ApplyLayout was last given.
  uint32_t LayoutBits = 0;
  static constexpr int FullColumns = 5;

  // Settings and first filling.
  void LoadSettings(const std::string& section);
  void SaveSettings(const std::string& section);
  void Init(const std::string& directory, const std::string& mask, uint32_t sortKind);

  void UpdateView();
  bool MoveTo(int32_t index, int32_t col, int32_t row);
  bool GetCurrentItem(uint32_t& dir, uint32_t& pos);
  void MarkCurrent(int how);
  bool OpenItem(uint32_t dir, int32_t row, int how);
  void OpenFolder(const std::string& path, const std::string& name);
  void Refresh();
  void UpdateStatus(int32_t row);
  void UpdateBasketLine();
  void UpdateDriveInfo();
  void UpdateModeButtons();
  void SelectDrive(int index);
  void OpenCurrentDriveRoot();
  // The pane's drive bar and drive combo for the drive list as it is now.
  void RebuildDriveControls();

  void SetMode(int mode);
  // 1: full paths in one column; 2: folder rows and five columns.
  void SetBasketMode(int basketMode);
  void SetupHeader();
  // column -1: the column of the current sort kind.
  void ChangeSortColumn(int column);
  void ApplyLayout(uint32_t bits);
  void FitBarHeights();
  int32_t FindFirstByText(const std::string& text);
  // The row found and made current, or -1 when nothing matched.
  int32_t FindNextByText(const std::string& text, bool backwards);

  // The list the grid shows: the basket view in basket mode.
  TstateOfBrowser& ShownList() const { return Mode == PaneBasket ? *BasketList : *FolderList; }
  // Rows of the pane's own numbering (Rows): of the mode's list.
  int32_t RowTotal() const;
  // The height of the bars above the address line: a tool docked beside the
  // pane starts that far down.
  int TopAreaHeight() const;
  // A walk or a worker holds the list: rebuilding it would free or reorder
  // the blocks that it has locked.
  bool ListTaken() const { return FolderList && FolderList->Busy; }

  // ISelectionPane
  TstateOfBrowser& OwnList() override { return *FolderList; }
  TstateOfBrowser& BasketView() override { return *BasketList; }
  int DisplayMode() override { return Mode; }
  void MarkCurrent(bool mark) override { MarkCurrent(mark ? 2 : 4); }
  void StopIconThread() override;

  // Event handlers.
  void sgBrowserDrawCell(int col, int row, const RECT& rect, unsigned state, TCanvas& canvas);
  void sgBrowserKeyDown(WORD& key, unsigned shift);
  void sgBrowserMouseDown(TMouseButton button, unsigned shift, int x, int y);
  void sgBrowserMouseMove(unsigned shift, int x, int y);
  void sgBrowserMouseUp(TMouseButton button, unsigned shift, int x, int y);
  void sgBrowserDblClick();
  void sgBrowserMouseWheelDown(bool& handled);
  void sgBrowserMouseWheelUp(bool& handled);
  void sgBrowserSelectCell(int col, int row, bool& canSelect);
  void timerForCMTimer();
  void pnlAddressLineClick();
  void btnSendTobasketClick();
  void btnRUpOneLevelClick();
  void btnRJumpToRootClick();
  void cmbDrivesClick();
  void cmbDrivesKeyDown(WORD& key, unsigned shift);
  void cmbDrivesKeyUp(WORD& key, unsigned shift);
  void cmbDrivesKeyPress(char& key);
  void cmbDrivesExit();
  void btnSetDrive(TDriveButton* button);
  void pnlDisksResize();
  void pnlBrowserToolbarResize();
  void sbFilesCommentResize();
  void sgTitlechangeKindOfSort();
  void FormCreate();
  void FormResize();
  void CMEnter();
  void CMExit();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // Busy for the life of the object; the grid skips painting meanwhile, so it
  // is painted again once the pane is no longer busy.
  class TBusy {
   public:
    explicit TBusy(TBrowserForm& pane) : pane_(pane), old_(pane.Busy) { pane_.Busy = true; }
    ~TBusy() {
      pane_.Busy = old_;
      if (!old_) pane_.sgBrowser->Invalidate();
    }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

   private:
    TBrowserForm& pane_;
    bool old_;
  };
  static char LowerLetter(char c);
  static std::string KiloText(uint64_t bytes);
  bool RootHasUpRow() const;
  int32_t FolderRows() const;
  // The row of the pane's numbering that a grid cell shows.
  int32_t CellIndex(int col, int row) const;
  // (directory, position) of a row of the pane's numbering.
  bool RowToItem(int32_t index, uint32_t& dir, uint32_t& pos) const;
  // MoveTo for a row that may lie outside the list, below 0 too.
  bool MoveToRow(int32_t index);
  void FollowGrid();
  void CutToRoot();
  int BriefColumnWidth();
  void LayoutBrief();
  void LayoutFiveColumns();
  void LayoutOneColumn();
  void DrawTreeLines(TCanvas& c, const RECT& cell, uint32_t dir, uint32_t pos, int level);
  int32_t IconOf(uint32_t dir, uint32_t pos, bool now);
  void DrawIcon(TCanvas& c, int x, int y, int32_t icon);
  void ReadRoot();
  // The folder as the root, or the first fixed drive's root when it is
  // missing or does not list as a folder; read either way.
  void OpenRootOrFirstDrive(const std::string& path);
  void SetAddressLine();
  void RememberFolder();
  void PressDriveButtons();
  void PlaceBasketInfo();
  void AfterFolderChange();
  bool OpenEntry(uint32_t dir, uint32_t pos, int how);
  bool GoUpFromFolder();
  void ToggleTreeFolder(uint32_t dir, uint32_t pos);
  void LeaveBasketDrive();
  // The header's items in the language shown, after the form's own texts.
  void ApplyHeaderTexts();
  std::string CurrentName();
  void MakeCurrentByName(const std::string& name);
  void MarkCurrentItem(int how, bool computeSize);
  // The mark alone, repainted; false when the current row has no entry to mark.
  bool MarkCurrentEntry(int how, bool computeSize);
  // Totals, status line and Start action after marks changed.
  void AfterMarking();
  void MarkEntry(TstateOfBrowser& list, uint32_t dir, uint32_t pos, int how, bool computeSize);
  void RepaintRow(int32_t index);
  void InvertMarks();
  void EnterCurrent(bool properties);
  // how: 1 properties, 2 view, 3 edit, otherwise open with its program.
  void ShellAction(uint32_t dir, uint32_t pos, int how);

  std::string name_;
  IPaneHost& host_;
  TIconThread iconThread_;
  // The brief-mode column width (0: to be measured) and the font it is for.
  int briefWidth_ = 0;
  TFont briefFont_;
};
