#include "windows/FormRenamer.h"

#include <memory>

#include "core/DirRegistry.h"
#include "core/RenameName.h"
#include "core/SharedTexts.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "engines/PerformRename.h"
#include "framework/Cursors.h"
#include "framework/Dialogs.h"
#include "framework/FitWidth.h"
#include "framework/IniFile.h"
#include "windows/Finder.h"
#include "windows/MainForm.h"
#include "windows/SelectionWalk.h"
#include "windows/SrchRes.h"
#include "windows/Startup.h"
#include "windows/ViReplacer.h"

namespace {

const char* const kSection = "Renamer";

// The tool's texts from its id.
const char* const kRenamerTexts[] = {
    "Renamer",
    "Rename files",
    "Preview Multi-Rename Tool",
    "Multi-Rename Tool",
    " &Rename mask: file name ",
    " E&xtension ",
    "[N] Name",
    "[N #-#] Range",
    "[C] Counter",
    "[hms] Time",
    "[YMD] Date",
    "[E] Ext",
    "[E #-#] Range",
    " Se&arch && Replace ",
    "Search for:",
    "Replace with:",
    " Cas&e sensitive ",
    " &Define counter [C] ",
    "Start at:",
    "Step by:",
    "Digits:",
    "&Preview Rename",
    "Help",
    "Unchanged",
    "all lowercase",
    "ALL UPPERCASE",
    "First letter uppercase",
    "First Of Each Word Uppercase",
};
constexpr int kCaseTexts = 23;
constexpr int kCaseModes = 5;
constexpr int kDigitChoices = 10;

// The token each button appends, by its tag.
const char* const kTokens[] = {"", "[N]", "[N1-12]", "[C]", "[YMD]", "[hms]", "[E]", "[E1-3]", "[C]"};

constexpr int kLeft = 4;
constexpr int kInner = 8;
constexpr int kButtonHeight = 22;
constexpr int kBoxHeight = 21;
constexpr int kTokenWidth = 96;
constexpr int kTokenGap = 4;
constexpr int kGroupMinWidth = 3 * kTokenWidth + 2 * kTokenGap + 2 * kInner;
constexpr int kLabelWidth = 78;
// The window shares its height with the pane's lists beside it: the groups
// stand a pixel apart and their rows close under their captions.
constexpr int kGroupGap = 1;
constexpr int kFirstRow = 15;
constexpr int kRowPitch = 24;
constexpr int kGroupBottom = 5;

template <class T>
T* At(T* c, int x, int y, int w, int h) {
  c->SetBounds(x, y, w, h);
  return c;
}

int RowTop(int row) { return kFirstRow + row * kRowPitch; }

// A label level with the box of its row.
int LabelTop(int row) { return RowTop(row) + 4; }

// The next group of the column, rows high, below the one before.
TGroupBox* NextGroup(TWinControl* parent, int& top, int rows) {
  auto* g = At(new TGroupBox(parent), kLeft, top, kGroupMinWidth, RowTop(rows - 1) + kButtonHeight + kGroupBottom);
  top += g->Height() + kGroupGap;
  return g;
}

}  // namespace

TRenamerForm::TRenamerForm(TWinControl* owner) : TToolWindow(owner, "::/RENAMER.htm") {
  btnHelpRenamer = HelpButton;
  btnStartOperation->OnClick = [this] { btnStartOperationClick(); };
  pnlMasks = new TPanel(this);
  pnlMasks->SetAlign(TAlign::Client);
  pnlMasks->BevelOuter = TBevelCut::None;
  pnlMasks->OnResize = [this] { FormResize(); };
  int top = kGroupGap;
  CreateMaskGroups(top);
  CreateOptionGroups(top);
  // The extension group's right edge bounds the width; the last group and
  // the buttons below it, the height.
  SetConstraints({kLeft + kGroupMinWidth + 3, pnlAlign->Height() + top + pnlTool->Height(), 0, 0});
  TitleFocus = cmbFileName;
  ActiveControl = cmbFileName;
}

void TRenamerForm::CreateMaskGroups(int& top) {
  gbFileName = NextGroup(pnlMasks, top, 3);
  cmbFileName = At(new TOrvComboBox(gbFileName), kInner, RowTop(0), kGroupMinWidth - 2 * kInner, kBoxHeight);
  cmbFileName->SetText("[N]");
  // The extension's box and its tokens share one row (LayOutExtension).
  gbFileExt = NextGroup(pnlMasks, top, 1);
  cmbFileExt = At(new TOrvComboBox(gbFileExt), kInner, RowTop(0), kTokenWidth, kBoxHeight);
  cmbFileExt->SetText("[E]");
  struct TToken {
    TButton** button;
    TGroupBox* group;
    int column, row;
  };
  const TToken tokens[] = {
      {&btnName, gbFileName, 0, 1},   {&btnRange, gbFileName, 1, 1}, {&btnCounter, gbFileName, 2, 1},
      {&btnDate, gbFileName, 0, 2},   {&btnTima, gbFileName, 1, 2},  {&btnExt, gbFileExt, 0, 0},
      {&btnExtRange, gbFileExt, 1, 0}, {&btnExtCounter, gbFileExt, 2, 0},
  };
  intptr_t tag = 0;
  for (const TToken& t : tokens) {
    TButton* b = *t.button = new TButton(t.group);
    b->SetBounds(kInner + t.column * (kTokenWidth + kTokenGap), RowTop(t.row), kTokenWidth, kButtonHeight);
    b->Tag = ++tag;
    b->OnClick = [this, b] { btnNameClick(b); };
  }
}

void TRenamerForm::CreateOptionGroups(int& top) {
  const int searchWidth = kGroupMinWidth - 2 * kInner - kLabelWidth;
  gbSearch = NextGroup(pnlMasks, top, 2);
  lblSearch = At(new TLabel(gbSearch), kInner, LabelTop(0), 0, 0);
  cmbSearch = At(new TOrvComboBox(gbSearch), kInner + kLabelWidth, RowTop(0), searchWidth, kBoxHeight);
  lblReplace = At(new TLabel(gbSearch), kInner, LabelTop(1), 0, 0);
  cmbReplace = At(new TOrvComboBox(gbSearch), kInner + kLabelWidth, RowTop(1), searchWidth, kBoxHeight);
  gbCase = NextGroup(pnlMasks, top, 1);
  cmbCaseSensitive =
      At(new TComboBox(gbCase, TComboStyle::DropDownList), kInner, RowTop(0), kGroupMinWidth - 2 * kInner, kBoxHeight);
  for (int i = 0; i < kCaseModes; ++i) cmbCaseSensitive->Items.Add(kRenamerTexts[kCaseTexts + i]);
  cmbCaseSensitive->SetItemIndex(0);
  gbCounter = NextGroup(pnlMasks, top, 2);
  lblStart = At(new TLabel(gbCounter), kInner, LabelTop(0), 0, 0);
  spStart = At(new TSpinEdit(gbCounter), kInner + 60, RowTop(0), 70, kBoxHeight);
  lblStep = At(new TLabel(gbCounter), kInner, LabelTop(1), 0, 0);
  spStep = At(new TSpinEdit(gbCounter), kInner + 60, RowTop(1), 70, kBoxHeight);
  for (TSpinEdit* sp : {spStart, spStep}) {
    sp->MinValue = INT32_MIN;
    sp->MaxValue = INT32_MAX;
    sp->SetValue(1);
  }
  lblDigits = At(new TLabel(gbCounter), kInner + 150, LabelTop(0), 0, 0);
  cmbDigits = At(new TComboBox(gbCounter, TComboStyle::DropDownList), kInner + 200, RowTop(0), 60, kBoxHeight);
  for (int i = 1; i <= kDigitChoices; ++i) cmbDigits->Items.Add(std::to_string(i));
  cmbDigits->SetItemIndex(0);
  // Enter in a mask or search box starts, as in the other tools' boxes.
  for (TOrvComboBox* box : {cmbFileName, cmbFileExt, cmbSearch, cmbReplace}) {
    box->TabStop = true;
    box->OnKeyDown = [this](WORD& key, unsigned) {
      if (key != VK_RETURN) return;
      key = 0;
      if (btnStartOperation->Enabled()) btnStartOperation->Click();
    };
  }
}

void TRenamerForm::FormResize() {
  const int width = std::max(int(pnlMasks->ClientRect().right) - 2 * kLeft, kGroupMinWidth);
  for (TGroupBox* g : {gbFileName, gbFileExt, gbSearch, gbCase, gbCounter}) g->SetWidth(width);
  for (TComboBox* c : {static_cast<TComboBox*>(cmbFileName), cmbCaseSensitive}) c->SetWidth(width - 2 * kInner);
  for (TComboBox* c : {cmbSearch, cmbReplace}) c->SetWidth(width - 2 * kInner - kLabelWidth);
  LayOutExtension();
}

// The tokens end the row, each as wide as its caption; the box takes the rest.
void TRenamerForm::LayOutExtension() {
  int right = gbFileExt->Width() - kInner;
  for (TButton* b : {btnExtCounter, btnExtRange, btnExt}) {
    b->SetWidth(FitWidth(*b));
    right -= b->Width();
    b->SetLeft(right);
    right -= kTokenGap;
  }
  cmbFileExt->SetWidth(right - kInner);
}

void TRenamerForm::InitGlyphs() {
  btnHelpRenamer->LoadGlyph("BTNHLP");
  btnStartOperation->LoadGlyph("BTNSTART", 3);
}

void TRenamerForm::RegisterDefaultTexts(int32_t id) {
  for (size_t i = 0; i < std::size(kRenamerTexts); ++i) Translator().AddString(id + int32_t(i), kRenamerTexts[i]);
  PreviewCaption = id + 2;
  ViewerCaption = id + 3;
}

void TRenamerForm::ApplyTexts(int32_t id) {
  pnlNameTools->SetCaption(Tx(id));
  pnlNameTools->Hint = Tx(id + 1);
  TControl* const targets[] = {gbFileName, gbFileExt, btnName,  btnRange, btnCounter,       btnTima,
                               btnDate,    btnExt,    btnExtRange, gbSearch, lblSearch,    lblReplace,
                               gbCase,     gbCounter, lblStart, lblStep,  lblDigits,        btnStartOperation,
                               btnHelpRenamer};
  for (size_t i = 0; i < std::size(targets); ++i) targets[i]->SetCaption(Tx(id + 4 + int(i)));
  btnExtCounter->SetCaption(Tx(id + 8));
  const int index = std::max(cmbCaseSensitive->ItemIndex(), 0);
  cmbCaseSensitive->Items.Clear();
  for (int i = 0; i < kCaseModes; ++i) cmbCaseSensitive->Items.Add(Tx(id + kCaseTexts + i));
  cmbCaseSensitive->SetItemIndex(index);
  LayOutExtension();
  LayOutCounter();
  CentreButtons();
}

// The spins follow the longer of their labels, the digits after them.
void TRenamerForm::LayOutCounter() {
  const int spins = kInner + std::max({60, lblStart->Width() + 6, lblStep->Width() + 6});
  spStart->SetLeft(spins);
  spStep->SetLeft(spins);
  lblDigits->SetLeft(std::max(kInner + 150, spins + spStart->Width() + 10));
  cmbDigits->SetLeft(std::max(kInner + 200, lblDigits->Left() + lblDigits->Width() + 6));
}

void TRenamerForm::LoadSettings() {
  const TIniFile ini(SettingsFilePath);
  struct TBox {
    TOrvComboBox* box;
    const char* list;
    const char* value;
  };
  const TBox boxes[] = {{cmbFileName, "MASK_NAME", "MASK_NAME_VALUE"},
                        {cmbFileExt, "MASK_EXT", "MASK_EXT_VALUE"},
                        {cmbSearch, "SEARCH_FOR", "SEARCH_FOR_VALUE"},
                        {cmbReplace, "REPLACE_TO", "REPLACE_TO_VALUE"}};
  for (const TBox& b : boxes) {
    const std::string text = ini.ReadString(kSection, b.value, b.box->Text());
    b.box->LoadHistory(ini, kSection, b.list);
    b.box->SetText(text);
  }
  if (!(GeneralCheckContainer & OptRestoreRenamer)) return;
  // A missing counter key keeps the box's value: a step of 0 would give every
  // file one name.
  if (ini.ValueExists(kSection, "RnStartAt")) spStart->SetValue(ini.ReadInteger(kSection, "RnStartAt", 1));
  if (ini.ValueExists(kSection, "RnStepBy")) spStep->SetValue(ini.ReadInteger(kSection, "RnStepBy", 1));
  const unsigned status = unsigned(ini.ReadInteger(kSection, "RnStatus", 0));
  const int digits = int(status & 0xF), mode = int((status >> 4) & 7);
  cmbDigits->SetItemIndex(digits < kDigitChoices ? digits : 0);
  cmbCaseSensitive->SetItemIndex(mode < kCaseModes ? mode : 0);
}

void TRenamerForm::SaveSettings() {
  TIniFile ini(SettingsFilePath);
  cmbFileName->SaveHistory(ini, kSection, "MASK_NAME");
  cmbFileExt->SaveHistory(ini, kSection, "MASK_EXT");
  cmbSearch->SaveHistory(ini, kSection, "SEARCH_FOR");
  cmbReplace->SaveHistory(ini, kSection, "REPLACE_TO");
  ini.WriteString(kSection, "MASK_NAME_VALUE", cmbFileName->Text());
  ini.WriteString(kSection, "MASK_EXT_VALUE", cmbFileExt->Text());
  ini.WriteString(kSection, "SEARCH_FOR_VALUE", cmbSearch->Text());
  ini.WriteString(kSection, "REPLACE_TO_VALUE", cmbReplace->Text());
  if (!(GeneralCheckContainer & OptRestoreRenamer)) return;
  ini.WriteInteger(kSection, "RnStartAt", int(spStart->Value()));
  ini.WriteInteger(kSection, "RnStepBy", int(spStep->Value()));
  ini.WriteInteger(kSection, "RnStatus",
                   std::max(cmbDigits->ItemIndex(), 0) + 16 * std::max(cmbCaseSensitive->ItemIndex(), 0));
}

bool TRenamerForm::CanStart(TstateOfBrowser* list) {
  if (!list) list = ActiveSelectionList();
  const bool can = list && list->SelectedCount > 0;
  if (!can && btnStartOperation->Focused()) cmbFileName->SetFocus();
  btnStartOperation->SetEnabled(can);
  return can;
}

void TRenamerForm::StartOperation() {
  if (btnStartOperation->Enabled()) btnStartOperation->Click();
}

void TRenamerForm::btnNameClick(const TButton* sender) {
  const intptr_t tag = sender->Tag;
  if (tag < 1 || tag >= intptr_t(std::size(kTokens))) return;
  TOrvComboBox* box = tag <= 5 ? cmbFileName : cmbFileExt;
  box->SetText(box->Text() + kTokens[tag]);
}

void TRenamerForm::FillRenamerStructure() {
  TRenamerFileStructure& r = RenamerFileStructure;
  r.NameMask = cmbFileName->Text() + "." + cmbFileExt->Text();
  r.StartAt = int32_t(spStart->Value());
  r.Digits = std::max(cmbDigits->ItemIndex(), 0) + 1;
  r.StepBy = int32_t(spStep->Value());
  r.SearchFor = cmbSearch->Text();
  r.DoReplace = !r.SearchFor.empty();
  r.ReplaceTo = cmbReplace->Text();
  r.CaseMode = std::max(cmbCaseSensitive->ItemIndex(), 0) + 1;
  r.FileNumber = 1;
}

namespace {

// What the start set up, undone on every way out: the plan restored and
// freed, the source's marks repainted and the busy marks cleared.
class TRenameRun {
 public:
  TRenameRun(TstateOfBrowser& source, uint32_t basketFlags) : source_(source), basketFlags_(basketFlags) {
    source_.Busy = 1;
    ToolBusy = 1;
  }
  ~TRenameRun() {
    {
      TLock lock(ResultsLock);
      RestoreDirBlocks(SearchList);
      FreeFileList(SearchList);
    }
    if (source_.ModeFlags & ModeBasketView) RefreshAllLists();
    ToolBusy = 0;
    source_.Busy = 0;
    Basket.ModeFlags = basketFlags_;
    if (MainForm) MainForm->RefreshPanes();
  }
  TRenameRun(const TRenameRun&) = delete;
  TRenameRun& operator=(const TRenameRun&) = delete;

 private:
  TstateOfBrowser& source_;
  uint32_t basketFlags_;
};

// The plan's list flags while the preview shows it.
constexpr uint32_t kRenamePreviewFlags = 4;

}  // namespace

void TRenamerForm::btnStartOperationClick() {
  if (MainCommandsHeld()) return;
  for (TOrvComboBox* box : {cmbFileName, cmbFileExt, cmbSearch, cmbReplace}) box->AddToHistory();
  ISelectionPane* pane = SelectionHost ? SelectionHost->GetActivePane() : nullptr;
  TstateOfBrowser* source = ActiveSelectionList();
  const uint32_t basketFlags = Basket.ModeFlags;
  bool copied = false;
  if (source) {
    // The basket is walked with the pane's view of it: its mark bit.
    if (source == &Basket) Basket.ModeFlags = pane->BasketView().ModeFlags;
    THourglassCursor wait;
    TLock lock(ResultsLock);
    FreeFileList(SearchList);
    copied = CopySelectedToList(SearchList, *source);
  }
  if (!copied) {
    Basket.ModeFlags = basketFlags;
    ShowMessageBox(hwnd_, Tx(TextNoFilesSelected), Application().Title, MB_OK | MB_ICONWARNING);
    return;
  }
  TRenameRun run(*source, basketFlags);
  {
    THourglassCursor wait;
    TLock lock(ResultsLock);
    FlattenDirBlocks(SearchList, SearchList.FileCount);
    SortAllDirs(SearchList);
    SearchList.ModeFlags = kRenamePreviewFlags;
    ResultsList = &SearchList;
    FillRenamerStructure();
  }
  pane->StopIconThread();
  PreviewAndRename(*source);
}

void TRenamerForm::PreviewAndRename(TstateOfBrowser& source) {
  auto preview = std::make_unique<TSrchRes>();
  // A form sets its texts again when shown: the caption goes in with them.
  preview->Texts.Add(preview.get(), PreviewCaption);
  preview->InitForRenamePreview();
  if (OnPreviewShown) OnPreviewShown(*preview);
  preview->ShowModal();
  if (!preview->StartRename) return;
  // The thread goes before the viewer it reports to.
  auto viewer = std::make_unique<TViewRenReplacer>();
  viewer->SetCaption(Tx(ViewerCaption));
  auto thread = std::make_unique<TThreadOf<TRenamer>>();
  thread->SetPriority(THREAD_PRIORITY_NORMAL);
  thread->Plan = &SearchList;
  thread->SourceList = &source;
  viewer->BindRenameWorker(*thread);
  viewer->InitSummary(ViewRenameLayout);
  thread->Resume();
  if (OnViewerShown) OnViewerShown(*viewer);
  viewer->ShowModal();
  thread.reset();
}
