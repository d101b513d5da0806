#include "windows/ViReplacer.h"

#include <algorithm>

#include "core/Formats.h"
#include "core/Help.h"
#include "core/SharedTexts.h"
#include "core/translator.h"
#include "engines/ReplacerBase.h"
#include "engines/WorkerEvents.h"
#include "framework/Dialogs.h"
#include "windows/MainForm.h"
#include "windows/SelectionWalk.h"

namespace {

const TUnitTexts viewerTexts{{1400, "Find and Replace string"}, {1401, "&Cancel"}, {1402, "&Help"},
                             {1403, "&All"}, {1404, "&Successful"}, {1405, "&Unchanged"},
                             {1406, "&Failed"}};

// The outcome markers that end a status text; the cell painter colours by
// them and never shows them.
constexpr int TextViewerCaption = 1400;

constexpr char kFailedMark = 1;
constexpr char kSuccessMark = 2;

constexpr int kStatusCol = 5;
constexpr int kButtonWidth = 90, kButtonHeight = 25;
constexpr int kPanelHeightReplace = 40, kPanelHeightRename = 36;

std::string Size(int64_t size) {
  std::string text;
  return FormatSize(0, 0, text, size);
}

}  // namespace

TViewRenReplacer::TViewRenReplacer() : TForm(nullptr, TFormBorder::Sizeable) {
  SetConstraints({600, 400, 0, 0});
  SetBounds(0, 0, 700, 480);
  KeyPreview = true;
  // Bottom-aligned controls stack upwards in the order they are made.
  pnlFilesComment = new TPanel(this);
  pnlFilesComment->SetAlign(TAlign::Bottom);
  pnlFilesComment->SetHeight(22);
  pnlFilesComment->BevelOuter = TBevelCut::Lowered;
  pnlFilesComment->Alignment = DT_LEFT;
  TFont bold = pnlFilesComment->Font();
  bold.Bold = true;
  pnlFilesComment->SetFont(bold);
  pnlBtn = new TPanel(this);
  pnlBtn->SetAlign(TAlign::Bottom);
  pnlBtn->SetHeight(kPanelHeightReplace);
  pnlBtn->BevelOuter = TBevelCut::None;
  pnlBtn->OnResize = [this] { FormResize(); };
  lblFilesToShow = new TLabel(pnlBtn);
  lblFilesToShow->SetBounds(8, 13, 0, 0);
  TRadioButton** radios[] = {&rbAll, &rbSuccess, &rbUnchanged, &rbFailed};
  const int widths[] = {50, 90, 90, 70};
  int x = 90;
  for (int i = 0; i < 4; ++i) {
    TRadioButton* rb = *radios[i] = new TRadioButton(pnlBtn);
    rb->Tag = i;
    rb->SetBounds(x, 10, widths[i], 20);
    rb->Hide();
    rb->SetEnabled(false);
    rb->OnClick = [this, rb] { rbAllClick(rb); };
    x += widths[i] + 6;
  }
  lblFilesToShow->Hide();
  btnHelpF = new TPylBitBtn(pnlBtn);
  btnHelpF->SetBounds(0, 8, kButtonWidth, kButtonHeight);
  btnHelpF->OnClick = [this] { btnHelpFClick(); };
  btnCancel = new TPylBitBtn(pnlBtn);
  btnCancel->SetBounds(0, 8, kButtonWidth, kButtonHeight);
  btnCancel->OnClick = [this] { PostMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0); };
  sgStatus = new TStringGrid(this);
  sgStatus->SetAlign(TAlign::Bottom);
  sgStatus->SetHeight(5 * sgStatus->DefaultRowHeight + 6);
  sgStatus->SetColCount(2);
  sgStatus->SetRowCount(5);
  sgStatus->SetFixedRows(1);
  sgStatus->Tag = 2;
  sgStatus->AlignWord = 340;
  sgInfo = new TStringGrid(this);
  sgInfo->SetAlign(TAlign::Client);
  sgInfo->RowSelect = true;
  sgInfo->TabStop = true;
  sgInfo->SetScrollBars(ssVertical);
  sgInfo->SetColCount(2);
  sgInfo->SetRowCount(1);
  sgInfo->Tag = 1;
  Texts.Add(btnCancel, 1401);
  Texts.Add(btnHelpF, 1402);
  Texts.Add(rbAll, 1403);
  Texts.Add(rbSuccess, 1404);
  Texts.Add(rbUnchanged, 1405);
  Texts.Add(rbFailed, 1406);
  OnKeyDown = [this](WORD& key, unsigned shift) { FormKeyDown(key, shift); };
  OnResize = [this] { FormResize(); };
  // A job that runs never ends the modal run: only SysClose closes, and only
  // after the end.
  OnCloseQuery = [this](bool& canClose) { canClose = Finished != 0; };
  FormCreate();
}

TViewRenReplacer::~TViewRenReplacer() { EnableMainControls(true); }

void TViewRenReplacer::FormCreate() {
  Finished = 0;
  EnableMainControls(false);
  PlaceOverMainWindow();
  SetCaption(Tx(TextViewerCaption));
  lblFilesToShow->SetCaption("Files to show:");
  ApplyTexts();
  btnHelpF->LoadGlyph("BTNHLP");
  btnCancel->LoadGlyph("BTNSTOP");
  ActiveControl = sgInfo;
  // The newest row stays in sight, as a progress list does; scrolling at
  // most a few times a second keeps a fast run from repainting every row
  // for every file.
  follow_.Interval = 150;
  follow_.OnTimer = [this] { ShowChanges(true); };
  follow_.SetEnabled(true);
  ShowChanges(true);
}

void TViewRenReplacer::ShowChanges(bool holdOn) {
  for (TStringGrid* g : {sgInfo, sgStatus}) g->HoldPaint(false);
  if (pnlFilesComment->Caption() != status_) pnlFilesComment->SetCaption(status_);
  FollowNewestRow();
  for (TStringGrid* g : {sgInfo, sgStatus}) g->HoldPaint(holdOn);
}

void TViewRenReplacer::PlaceOverMainWindow() {
  if (!MainForm || !MainForm->Handle()) return;
  RECT main{};
  GetWindowRect(MainForm->Handle(), &main);
  // The main window's toolbars and drive bar stay in sight above the viewer.
  int top = main.top + GetSystemMetrics(SM_CYCAPTION) + 5;
  for (TWinControl* upper : {static_cast<TWinControl*>(MainForm->ControlBarMain), static_cast<TWinControl*>(MainForm->pnlTop)}) {
    if (!upper || !upper->Showing()) continue;
    RECT r{};
    GetWindowRect(upper->Handle(), &r);
    top = std::max(top, static_cast<int>(r.bottom));
  }
  const int height = std::max(static_cast<int>(main.bottom) - top, Constraints().MinHeight);
  SetBounds(main.left, top, main.right - main.left, height);
}

void TViewRenReplacer::InitSummary(int layout) {
  const int labels[] = {TextAllFiles, TextAllUnchanged, TextAllSuccessful, TextAllFailed};
  for (int r = 1; r <= 4; ++r) sgStatus->SetCells(0, r, Tx(labels[r - 1]));
  sgStatus->SetCells(1, 0, Tx(TextNumberOfFiles));
  sgStatus->SetColWidth(0, 110);
  sgStatus->SetColWidth(1, 150);
  Files = UnchangedCount = SuccessfulCount = FailedCount = 0;
  AllBefore = AllAfter = SuccessfulBefore = SuccessfulAfter = 0;
  if (layout != ViewReplaceLayout) {
    sgInfo->SetCells(0, 0, Tx(TextName));
    sgInfo->SetCells(1, 0, Tx(TextStatus));
    sgInfo->SetColWidth(1, 110);
    sgInfo->AlignWord = 2;
    pnlBtn->SetHeight(kPanelHeightRename);
  } else {
    lblFilesToShow->Show();
    for (TRadioButton* rb : {rbAll, rbSuccess, rbUnchanged, rbFailed}) rb->Show();
    sgStatus->SetColCount(5);
    const int heads[] = {TextSizeBefore, TextSizeAfter, TextChangedSize};
    for (int c = 2; c <= 4; ++c) {
      sgStatus->SetCells(c, 0, Tx(heads[c - 2]));
      sgStatus->SetCells(c, 4, "---");
      sgStatus->SetColWidth(c, 110);
    }
    sgInfo->SetColCount(6);
    const int infoHeads[] = {TextName, TextSizeBefore, TextSizeAfter, TextChangedSize, TextAmount, TextStatus};
    const int infoWidths[] = {0, 90, 90, 90, 60, 110};
    for (int c = 0; c < 6; ++c) {
      sgInfo->SetCells(c, 0, Tx(infoHeads[c]));
      if (c) sgInfo->SetColWidth(c, infoWidths[c]);
    }
    sgInfo->AlignWord = 342;
  }
  FormResize();
}

void TViewRenReplacer::FormResize() {
  const int right = pnlBtn->ClientRect().right;
  btnCancel->SetLeft(right - 8 - kButtonWidth);
  btnHelpF->SetLeft(right - 16 - 2 * kButtonWidth);
  int others = 0;
  for (int c = 1; c < sgInfo->ColCount; ++c) others += sgInfo->ColWidths[static_cast<size_t>(c)];
  // What the other columns leave after the grid lines and a vertical scroll bar.
  const int rest = sgInfo->ClientRect().right - others - sgInfo->ColCount - GetSystemMetrics(SM_CXVSCROLL);
  sgInfo->SetColWidth(0, std::max(rest, 60));
}

void TViewRenReplacer::AddRow(const std::string& text) {
  status_ = text;
  const int r = sgInfo->RowCount;
  sgInfo->SetRowCount(r + 1);
  if (r == 1) sgInfo->SetFixedRows(1);
  sgInfo->SetCells(0, r, text);
}

void TViewRenReplacer::FollowNewestRow() {
  const int last = sgInfo->RowCount - 1;
  if (last >= sgInfo->TopRow() + sgInfo->VisibleRowCount()) sgInfo->SetTopRow(last);
}

void TViewRenReplacer::GetNextFile(TThread*, TSelectedItem*& item) {
  item = NextSelectedItem(WalkCopied);
  if (item) AddRow(ItemPath(*item));
}

void TViewRenReplacer::FileDone(TThread*, TItemUpdate& status) { UpdateItemState(&status); }

void TViewRenReplacer::ShowProgress(TThread*, int32_t result, int32_t stage, int32_t matches, int64_t sizeBefore,
                                    int64_t sizeAfter) {
  const int r = sgInfo->RowCount - 1;
  ++Files;
  const bool measured = result == rrChanged || result == rrUnchanged || result == rrNotSupported || result == rrProtected;
  if (measured) {
    AllBefore += sizeBefore;
    AllAfter += sizeAfter;
    sgInfo->SetCells(1, r, Size(sizeBefore));
    sgInfo->SetCells(2, r, Size(sizeAfter));
    sgInfo->SetCells(3, r, Size(sizeAfter - sizeBefore));
    sgInfo->SetCells(4, r, std::to_string(matches));
  } else {
    for (int c = 1; c <= 4; ++c) sgInfo->SetCells(c, r, "?");
  }
  if (result == rrChanged) {
    ++SuccessfulCount;
    SuccessfulBefore += sizeBefore;
    SuccessfulAfter += sizeAfter;
  } else if (result == rrFailed || result == rrNotFound) {
    ++FailedCount;
  } else {
    ++UnchangedCount;
  }
  SetCount(1, Files);
  sgStatus->SetCells(2, 1, Size(AllBefore));
  sgStatus->SetCells(3, 1, Size(AllAfter));
  sgStatus->SetCells(4, 1, Size(AllAfter - AllBefore));
  SetCount(2, UnchangedCount);
  sgStatus->SetCells(2, 2, Size(AllBefore - SuccessfulBefore));
  sgStatus->SetCells(3, 2, Size(AllAfter - SuccessfulAfter));
  sgStatus->SetCells(4, 2, "0");
  SetCount(3, SuccessfulCount);
  sgStatus->SetCells(2, 3, Size(SuccessfulBefore));
  sgStatus->SetCells(3, 3, Size(SuccessfulAfter));
  sgStatus->SetCells(4, 3, Size(SuccessfulAfter - SuccessfulBefore));
  SetCount(4, FailedCount);
  std::string status;
  switch (result) {
    case rrNotSupported: status = Tx(TextNotSupported) + kFailedMark; break;
    case rrProtected: status = Tx(TextProtected) + kFailedMark; break;
    case rrUnchanged: status = Tx(TextUnchanged); break;
    case rrFailed:
      status = Tx(TextFailed) + (stage ? "_" + std::to_string(stage) : std::string()) + kFailedMark;
      break;
    case rrChanged: status = Tx(TextSuccessful) + kSuccessMark; break;
    case rrNotFound: status = Tx(TextNotFound); break;
    default: break;
  }
  sgInfo->SetCells(kStatusCol, r, status);
}

void TViewRenReplacer::RenameFileDone(TThread*, const std::string& message) { AddRow(message); }

void TViewRenReplacer::RenameProgress(TThread*, int32_t result) {
  ++Files;
  std::string status;
  if (result == rrChanged) {
    ++SuccessfulCount;
    status = Tx(TextSuccessful) + kSuccessMark;
  } else if (result == rrUnchanged) {
    ++UnchangedCount;
    status = Tx(TextUnchanged);
  } else if (result == rrFailed || result == rrNotFound) {
    ++FailedCount;
    status = Tx(TextFailed) + kFailedMark;
  }
  SetCount(1, Files);
  SetCount(2, UnchangedCount);
  SetCount(3, SuccessfulCount);
  SetCount(4, FailedCount);
  sgInfo->SetCells(1, sgInfo->RowCount - 1, status);
}

void TViewRenReplacer::Ended() {
  PostMessageA(hwnd_, WM_OPERATIONDONE, 0, 0);
  follow_.SetEnabled(false);
  ShowChanges(false);
  btnCancel->LoadGlyph("BTNCANCEL");
  Finished = 1;
}

void TViewRenReplacer::ThreadTerminated() {
  Ended();
  for (TRadioButton* rb : {rbAll, rbSuccess, rbUnchanged, rbFailed}) rb->SetEnabled(true);
}

void TViewRenReplacer::RenameTerminated() { Ended(); }

void TViewRenReplacer::OperationDone() {
  // A stray message during the run would hold the window in the wait.
  if (!Finished) return;
  const DWORD result = Thread ? Thread->WaitFor() : 2;
  TFont f = pnlFilesComment->Font();
  f.Color = result == 1 ? TColor(255) : clWindowText;
  pnlFilesComment->SetFont(f);
  status_ = Tx(result == 1 ? TextAborted : TextCompleted);
  pnlFilesComment->SetCaption(status_);
}

void TViewRenReplacer::rbAllClick(const TRadioButton* sender) {
  if (!rowsSaved_) {
    rowsSaved_ = true;
    for (int r = 1; r < sgInfo->RowCount; ++r) savedRows_.push_back(sgInfo->Rows(r));
  }
  const intptr_t tag = sender->Tag;
  std::vector<const std::vector<std::string>*> kept;
  for (const auto& row : savedRows_) {
    const std::string& status = row[kStatusCol];
    if (status.empty()) continue;
    const char last = status.back();
    const bool keep = tag == 0 || (tag == 1 && last == kSuccessMark) ||
                      (tag == 2 && last != kFailedMark && last != kSuccessMark) || (tag == 3 && last == kFailedMark);
    if (keep) kept.push_back(&row);
  }
  sgInfo->SetRowCount(std::max<int>(2, 1 + static_cast<int>(kept.size())));
  sgInfo->SetFixedRows(1);
  if (kept.empty()) sgInfo->SetRows(1, {});
  for (size_t i = 0; i < kept.size(); ++i) sgInfo->SetRows(static_cast<int>(i) + 1, *kept[i]);
  sgInfo->SetTopRow(1);
}

void TViewRenReplacer::FormKeyDown(WORD& key, unsigned) {
  if (key == VK_ESCAPE) {
    key = 0;
    PostMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (key == VK_F1) {
    key = 0;
    btnHelpFClick();
  }
}

void TViewRenReplacer::btnHelpFClick() {
  const std::string topic = HelpFileName + (ReplaceLayout() ? "::/SEARCH_REPLACE_RESULTS.htm" : "::/RENAME_WINDOW.htm");
  CallHtmlHelp(hwnd_, topic.c_str(), HH_DISPLAY_TOPIC_COMMAND, 0);
}

void TViewRenReplacer::SysClose() {
  if (!Finished) {
    const std::string caption = MainForm ? MainForm->Caption() : std::string();
    if (ShowMessageBox(hwnd_, Tx(TextAbortQuestion), caption, MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES) return;
    // The thread's end posts the message that tells the result.
    if (Thread) Thread->StopAndWait();
    return;
  }
  if (Thread) Thread->StopAndWait();
  Close();
}

LRESULT TViewRenReplacer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_OPERATIONDONE) {
    OperationDone();
    return 0;
  }
  if (msg == WM_SYSCOMMAND) {
    switch (wp & 0xFFF0) {
      case SC_CLOSE:
        SysClose();
        return 0;
      case SC_MINIMIZE:
        if (Application().Minimize()) return 0;
        break;
      default:
        break;
    }
  }
  return TForm::WndProc(msg, wp, lp);
}

namespace {

// Ends the walk on every path out of the start.
struct TSelectionWalkEnd {
  TSelectionWalkEnd() = default;
  TSelectionWalkEnd(const TSelectionWalkEnd&) = delete;
  TSelectionWalkEnd& operator=(const TSelectionWalkEnd&) = delete;
  ~TSelectionWalkEnd() {
    ToolBusy = 0;
    EndListOperation();
    if (MainForm) MainForm->RefreshPanes();
  }
};

}  // namespace

void RunOverSelection(HWND owner, const std::function<void()>& start) {
  if (MainCommandsHeld()) return;
  if (!BeginSelectionWalk(CheckNothing)) {
    ShowMessageBox(owner, Tx(TextNoFilesSelected), "", MB_OK);
    return;
  }
  TSelectionWalkEnd walkEnd;
  start();
}
