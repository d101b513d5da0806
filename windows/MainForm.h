#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "controls/ButtonsNew.h"
#include "controls/PylBitBtn.h"
#include "controls/PylSplitterMouse.h"
#include "framework/Forms.h"
#include "framework/ToolBars.h"
#include "windows/FormBrowser.h"
#include "windows/SelectionWalk.h"

// Messages the main window posts itself: focus the active panel; show the
// tip of the day.
constexpr UINT WM_FOCUSACTIVEPANEL = WM_USER + 14;
constexpr UINT WM_SHOWTIPOFDAY = WM_USER + 16;

// Kelvanto's main window: two browser panes with a splitter, or one pane
// and a docked tool, under the menu toolbar and the toolbars, above the
// function-key buttons.
class TMainForm : public TForm, public IPaneHost, public ISelectionHost {
 public:
  TMainForm();
  ~TMainForm() override;

  // Toolbars.
  TControlBar* ControlBarMain;
  TMenuToolBar* tbMenu;
  TPanel* pnlTbMain;
  TSpeedButtonNew* btnSetModeBrief;
  TSpeedButtonNew* btnSetModeFull;
  TSpeedButtonNew* btnOptions;
  TSpeedButtonNew* btnInvertSel;
  TSpeedButtonNew* btnClearBasket;
  TPanel* pnlTools;
  TSpeedButtonNew* btnMdBrowser;
  TSpeedButtonNew* btnTool1;
  TSpeedButtonNew* btnTool2;
  TSpeedButtonNew* btnTool3;
  TSpeedButtonNew* btnTool4;
  // The active pane's drive bar above both panes.
  TPanel* pnlTop;
  TPanel* pnlWithImgDrives;
  TPanel* pnlInfo;
  TPanel* pnlRightJumpButtons;
  TSpeedButtonNew* btnRJumpToRoot;
  TSpeedButtonNew* btnRUpOneLevel;
  // The function-key buttons, Tags 1 to 7.
  TPanel* pnlOperations;
  TPylBitBtn* btnViewF3;
  TPylBitBtn* btnEdit;
  TPylBitBtn* btnCopy;
  TPylBitBtn* btnRenMove;
  TPylBitBtn* btnMkDir;
  TPylBitBtn* btnDelete;
  TPylBitBtn* btnExit;
  // The panes and the docked tool.
  TPanel* pnlMain;
  TPanel* pnlModes;
  TPanel* pnlLeft;
  TPanel* pnlFreeLeft;
  TPylSplitterMouse* SplitterMain;
  TPanel* pnlRight;
  TPanel* pnlFreeRight;
  // The quick search over a pane, hidden.
  TPanel* pnlSearch;
  TEdit* edSearch;

  TMainMenu GeneralMenu;
  TMenuItem* mnuFile;
  TMenuItem* mnuStartOperation;
  TMenuItem* mnuSaveBasketList;
  TMenuItem* mnuLoadBasketList;
  TMenuItem* mnuRereadSource;
  TMenuItem* mnuConDrive;
  TMenuItem* mnuDisConDrive;
  TMenuItem* mnuProperties;
  TMenuItem* mnuExit;
  TMenuItem* mnuView;
  TMenuItem* mnuBrowser;
  TMenuItem* mnuTool1;
  TMenuItem* mnuTool2;
  TMenuItem* mnuTool3;
  TMenuItem* mnuTool4;
  TMenuItem* mnuMainToolbar;
  TMenuItem* mnuToolsToolbar;
  TMenuItem* mnuOptions;
  TMenuItem* mnuMark;
  TMenuItem* mnuSelGroup;
  TMenuItem* mnuUnselGr;
  TMenuItem* mnuSelAll;
  TMenuItem* mnuUnselAll;
  TMenuItem* mnuInvertSel;
  TMenuItem* mnuSelSuccessful;
  TMenuItem* mnuSelUnchanged;
  TMenuItem* mnuSelFailed;
  TMenuItem* mnuShow;
  TMenuItem* mnuBrief;
  TMenuItem* mnuFull;
  TMenuItem* mnuAllFiles;
  TMenuItem* mnuCustom;
  TMenuItem* mnuSortName;
  TMenuItem* mnuSortExt;
  TMenuItem* mnuSortDate;
  TMenuItem* mnuSortSize;
  TMenuItem* mnuSortRevers;
  TMenuItem* mnuPlugins;
  TMenuItem* mnuGetNewPlugins;
  TMenuItem* mnuWhatIsPlugin;
  TMenuItem* mnuHelp;
  TMenuItem* mnuContents;
  TMenuItem* mnuHomePage;
  TMenuItem* mnuTutorials;
  TMenuItem* mnuFeedbackAndTechnicalSupport;
  TMenuItem* mnuItemShowTips;
  TMenuItem* mnuAbout;
  // The menu that every drive bar's menu button drops.
  TPopupMenu popFavoritesFolders;
  TMenuItem* MenuItem1;
  TMenuItem* MenuItem2;
  TMenuItem* MenuItem3;

  TActionList ActionModes;
  TAction* actBrowser;
  TAction* actFinder;
  TAction* actRenamer;
  TAction* actReplacer;
  TAction* actBatchReplacer;
  // The mode the actions last selected.
  intptr_t ActionModesTag = 0;
  TActionList mainAction;
  TAction* actLaunchOperation;
  TAction* actHelp;
  TAction* actHelpContents;

  // The panes.
  TBrowserForm* LeftBrowser = nullptr;
  TBrowserForm* RightBrowser = nullptr;
  // A plug-in owns the screen while this is 1 (set by the plug-in host).
  uint8_t PluginRunning = 0;
  HMODULE PluginModule = nullptr;
  uint8_t FirstPaint = 0;
  // Set by the first activation of the run, which rereads nothing.
  bool Activated = false;
  // A tip window is open: another request to show one is ignored.
  bool TipShown = false;

  void FormCreate();
  void FormShow();
  void FormFirstPaint();
  void FormResize();
  void FormClose();
  void FormDestroy();
  void AppMessage();
  void OnMinimizeMainForm();
  void OnRestoreMainForm();
  void actBrowserExecute(TAction& sender);
  void SwitchMode(int32_t mode);
  void RefreshPanes();
  void ApplyLanguageTexts();
  // The pane's drive bar and drive combo, and the shared bar above both
  // panes when it follows that pane.
  void RebuildDriveButtons(TBrowserForm& pane);
  void pnlToolsResize(TPanel* panel);
  void pnlWithImgDrivesResize();
  // Each button of the menu toolbar as wide as its caption; the main
  // toolbar starts right of it.
  void ArrangeMenuToolbar();
  // The mode buttons take their captions at once; the window's least width
  // shows the longest whole.
  void FitModeButtons();
  // Alt+letter drops the menu toolbar's menu of that accelerator, as a menu
  // bar would; false when no menu has it.
  bool DropMenuByKey(TShortCut sc);
  void mnuItemShowTipsClick();
  void mnuAboutClick();
  // A plug-in's item was chosen: the host runs it.
  void PlugClick(TMenuItem& item);

  // Keys, menus, bottom buttons and the quick search.
  void BindKeysAndMenus();
  // A job or a plug-in runs: commands wait, shortcuts are swallowed.
  bool CommandsHeld() const;
  // The active panel when it is a visible pane, else nil.
  TBrowserForm* ActivePaneForm() const;
  void FocusSidePane();
  void FormShortCut(TShortCut sc, bool& handled);
  void FormKeyDown(WORD& key, unsigned shift);
  bool OpenQuickSearch(TBrowserForm* pane, TShortCut sc);
  bool SearchKeyDown(WORD& key);
  void edSearchEnter();
  void edSearchExit();
  void edSearchKeyPress(char& key);
  void edSearchChange();
  void MarkCommand(WORD key, bool ctrl);
  void SelectGroup(TBrowserForm& pane, bool select);
  void ChangeSelectionOfAll(TBrowserForm& pane, bool select);
  void RecountPane(TBrowserForm& pane);
  void CustomMask(TBrowserForm& pane);
  void SetPaneMask(TBrowserForm& pane, const std::string& mask);
  void mnuAllFilesClick();
  void btnSetModeBriefClick(intptr_t tag);
  void btnInvertSelClick();
  void btnClearBasketClick();
  void bottomButtonsClick(intptr_t tag);
  void GeneralMenuChange();
  void SortMenuClick(intptr_t tag);
  void NetworkDriveClick(bool connect);
  void SpecialFolderClick(intptr_t tag);
  void actOptionsExecute();
  void actHelpExecute();
  void ShowHelpTopic(const char* topic);
  bool IsPane(const TWinControl* panel) const { return panel && (panel == LeftBrowser || panel == RightBrowser); }

  // The file commands (FileCommands.cpp); each does nothing while a job or
  // a plug-in runs. Codes are those of the file operation.
  void CopyMoveFiles(uint32_t code, bool sameFolder);
  void DeleteFiles(bool toRecycleBin);
  void btnMkDirClick();
  void EditNamedFile();
  void SelectByStatus(bool select, TFileStatus status);
  void mnuSaveBasketListClick();
  void mnuLoadBasketListClick();
  void BindFileCommands();

  // IPaneHost
  void UpdateStartAction() override;
  void SendToBasket() override;
  void PaneEntered(TBrowserForm& pane) override;
  void FollowActivePane(TBrowserForm& pane) override;
  void UpdateMainModeButtons(bool briefDown, bool fullDown, bool jumpsEnabled) override;
  void EvenPaneTops() override;
  TPopupMenu* DriveMenu() override { return &popFavoritesFolders; }
  HIMAGELIST ImageListBrowser() override;
  HIMAGELIST UpDownImages() override;
  // ISelectionHost
  ISelectionPane* GetActivePane() override;
  void ShowCheckMessage(const std::string& text) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  void CreateMenus();
  void CreateActions();
  void BindTexts();
  TSpeedButtonNew* ToolbarButton(TPanel* panel, intptr_t tag);
  void CreatePanes();
  // The pane whose drives the shared bar shows: the active pane, else the
  // one on the active side.
  TBrowserForm* SharedBarPane() const;
  void SharedDriveClick(const TDriveButton& button);
  // The shared bar takes the width left beside the info panel and the jump
  // buttons, is laid out, and the top panel takes its height.
  void ArrangeSharedDriveBar();
  // After the texts: the drive bars (with the drive list's texts taken
  // again after a language switch) and the basket lines.
  void DriveBarsAndBasketLinesAfterTexts();
  std::unique_ptr<TImageList> imageListBrowser_;
  std::unique_ptr<TImageList> upDownImages_;
  // The pane the quick search moves in.
  TBrowserForm* searchPane_ = nullptr;
  // The pane whose drive bar dropped the favourites menu.
  TBrowserForm* popupOwner_ = nullptr;
};

// The one main window (nil outside its life).
extern TMainForm* MainForm;

// Enables the Start action when the current mode's tool can start on the
// active pane's list.
void UpdateStartAction();
// A job or a plug-in runs: no command may start, the tools' Start buttons
// included.
bool MainCommandsHeld();
// The results windows switch the toolbars and the mode actions off while they
// are open, and on again after.
void EnableMainControls(bool enabled);

// Makes the main window the application's main form, then the about box, and
// runs the message loop until the main window closes; the exit code.
int RunMainForm();
