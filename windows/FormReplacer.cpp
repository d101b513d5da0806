#include "windows/FormReplacer.h"

#include <cmath>
#include <memory>

#include "core/SharedTexts.h"
#include "core/translator.h"
#include "engines/PerformReplace.h"
#include "framework/Dialogs.h"
#include "windows/MainForm.h"
#include "windows/SelectionWalk.h"
#include "windows/TabOrder.h"
#include "windows/ViReplacer.h"

namespace {

// The tool's texts from its id, in the order ApplyTexts sets them.
const char* const kReplacerTexts[] = {
    "Replacer",
    "Replace text in files",
    "&Create files backup copy",
    "  Find te&xt below",
    "  &Replace / Insert text below",
    "  E&nding with",
    "Re&place with",
    "Insert before",
    "Insert after",
    "Insert between",
    "Delete",
    "Insert to head file",
    "Insert to foot file",
    "Cas&e sensitive",
    "Whole Wor&d",
    "&ASCII charset (DOS)",
    "Just Find",
    "&Start Replace",
    "Help",
};

constexpr int kRowHeight = 20;
constexpr int kColumn2 = 165;
constexpr int kOptionsHeight = 8 + 7 * kRowHeight + 12;
constexpr int kFindHeight = 110;
// The splitter, the replacement's caption strip and a line of its box.
constexpr int kLeastReplaceHeight = 43;

}  // namespace

TReplacerForm::TReplacerForm(TWinControl* owner) : TToolWindow(owner, "::/REPLACER.htm") {
  // The find box at its first height and a line of the replacement above
  // the options: the window shares its height with the pane's list.
  SetConstraints(
      {kColumn2 + 165, pnlAlign->Height() + kFindHeight + kLeastReplaceHeight + kOptionsHeight + pnlTool->Height(), 0, 0});
  btnStartOperation->OnClick = [this] { btnStartOperationClick(); };
  btnHelpReplacer = HelpButton;

  pnlOptions = new TPanel(this);
  pnlOptions->SetAlign(TAlign::Bottom);
  pnlOptions->SetHeight(kOptionsHeight);
  pnlOptions->BevelOuter = TBevelCut::None;
  struct TRadio {
    TRadioButton** button;
    int column, row;
    intptr_t tag;
  };
  const TRadio radios[] = {
      {&rbReplace, 0, 0, 0},   {&rbInsBefore, 0, 1, 0},   {&rbInsAfter, 0, 2, 0}, {&rbInsBeetween, 0, 3, 0},
      {&rbDelete, 1, 0, 1},    {&rbInsToHead, 1, 1, 0},   {&rbInsToFoot, 1, 2, 0}, {&rbJustFind, 1, 3, 2},
  };
  for (const TRadio& r : radios) {
    TRadioButton* rb = *r.button = new TRadioButton(pnlOptions);
    rb->SetBounds(8 + r.column * kColumn2, 8 + r.row * kRowHeight, kColumn2 - 10, kRowHeight);
    rb->Tag = r.tag;
    rb->TabStop = true;
  }
  for (TRadioButton* rb : {rbReplace, rbInsBefore, rbInsAfter}) rb->OnClick = [this] { rbReplaceClick(); };
  rbInsBeetween->OnClick = [this] { rbInsBeetweenClick(); };
  for (TRadioButton* rb : {rbDelete, rbInsToHead, rbInsToFoot, rbJustFind})
    rb->OnClick = [this, rb] { rbDeleteClick(rb); };
  const int checksTop = 8 + 4 * kRowHeight + 6;
  chkCaseSensitive = new TCheckBox(pnlOptions);
  chkCaseSensitive->SetBounds(8, checksTop, kColumn2 - 10, kRowHeight);
  chkWholeWord = new TCheckBox(pnlOptions);
  chkWholeWord->SetBounds(8 + kColumn2, checksTop, kColumn2 - 10, kRowHeight);
  chkCHSDOS = new TCheckBox(pnlOptions);
  // Nothing stands beside it: its text may take both columns.
  chkCHSDOS->SetBounds(8, checksTop + kRowHeight, 2 * kColumn2 - 10, kRowHeight);
  chkBkCopy = new TCheckBox(pnlOptions);
  chkBkCopy->SetBounds(8, checksTop + 2 * kRowHeight, 2 * kColumn2 - 10, kRowHeight);
  chkBkCopy->SetChecked(true);
  for (TCheckBox* c : {chkCaseSensitive, chkWholeWord, chkCHSDOS, chkBkCopy}) c->TabStop = true;

  pnlTexts = new TPanel(this);
  pnlTexts->SetAlign(TAlign::Client);
  pnlTexts->BevelOuter = TBevelCut::None;
  pnlFind = new TPanel(pnlTexts);
  pnlFind->SetAlign(TAlign::Top);
  pnlFind->SetHeight(kFindHeight);
  pnlFind->BevelOuter = TBevelCut::None;
  lblFind = CaptionStrip(pnlFind);
  memFind = new TEdit(pnlFind, kMemoStyle);
  memFind->SetAlign(TAlign::Client);
  memFind->TabStop = true;
  memFind->OnChange = [this] { memFindChange(); };
  TextSplitter = new TPylSplitterMouse(pnlTexts, pnlFind, TAlign::Top);
  pnlEnding = new TPanel(pnlTexts);
  pnlEnding->SetAlign(TAlign::Bottom);
  pnlEnding->SetHeight(90);
  pnlEnding->BevelOuter = TBevelCut::None;
  lblEnding = CaptionStrip(pnlEnding);
  memEnding = new TEdit(pnlEnding, kMemoStyle);
  memEnding->SetAlign(TAlign::Client);
  memEnding->TabStop = true;
  TextEndingSplitter = new TPylSplitterMouse(pnlTexts, pnlEnding, TAlign::Bottom);
  pnlTextToReplace = new TPanel(pnlTexts);
  pnlTextToReplace->SetAlign(TAlign::Client);
  pnlTextToReplace->BevelOuter = TBevelCut::None;
  lblReplace = CaptionStrip(pnlTextToReplace);
  mmReplace = new TEdit(pnlTextToReplace, kMemoStyle);
  mmReplace->SetAlign(TAlign::Client);
  mmReplace->TabStop = true;
  pnlEnding->Hide();
  TextEndingSplitter->Hide();
  rbReplace->SetChecked(true);
  TitleFocus = rbReplace;
  // Below the texts on screen, after them for Tab.
  PlaceInTabOrder(*pnlOptions, pnlTexts->Handle());
  ActiveControl = memFind;
}

void TReplacerForm::InitGlyphs() {
  btnStartOperation->LoadGlyph("BTNSTART", 3);
  btnHelpReplacer->LoadGlyph("BTNHLP");
}

void TReplacerForm::RegisterDefaultTexts(int32_t id) {
  for (size_t i = 0; i < std::size(kReplacerTexts); ++i) Translator().AddString(id + int32_t(i), kReplacerTexts[i]);
}

void TReplacerForm::ApplyTexts(int32_t id) {
  TControl* const targets[] = {pnlNameTools,   nullptr,     chkBkCopy,        lblFind,      lblReplace,
                               lblEnding,      rbReplace,   rbInsBefore,      rbInsAfter,   rbInsBeetween,
                               rbDelete,       rbInsToHead, rbInsToFoot,      chkCaseSensitive,
                               chkWholeWord,   chkCHSDOS,   rbJustFind,       btnStartOperation,
                               btnHelpReplacer};
  for (size_t i = 0; i < std::size(targets); ++i) {
    const std::string text = Tx(id + int(i));
    if (targets[i])
      targets[i]->SetCaption(text);
    else
      pnlNameTools->Hint = text;
  }
  CentreButtons();
}

TRadioButton* TReplacerForm::CheckedAction() const {
  for (TRadioButton* rb : {rbReplace, rbInsBefore, rbInsAfter, rbInsBeetween, rbDelete, rbInsToHead, rbInsToFoot,
                           rbJustFind})
    if (rb->Checked()) return rb;
  return rbReplace;
}

TReplaceMode TReplacerForm::Mode() const {
  const TRadioButton* rb = CheckedAction();
  if (rb == rbDelete) return rmDelete;
  if (rb == rbInsToHead) return rmInsToHead;
  if (rb == rbInsAfter) return rmInsAfter;
  if (rb == rbInsBefore) return rmInsBefore;
  if (rb == rbInsBeetween) return rmInsBetween;
  if (rb == rbInsToFoot) return rmInsToFoot;
  if (rb == rbJustFind) return rmJustFind;
  return rmReplace;
}

void TReplacerForm::SetEnabledDisabled(int v) {
  for (TCheckBox* c : {chkCaseSensitive, chkWholeWord}) {
    c->SetEnabled(v != 0);
    if (v == 0) c->SetChecked(false);
  }
  chkBkCopy->SetVisible(v != 2);
}

void TReplacerForm::ShowMemos(bool replacement, bool ending) {
  pnlTexts->DisableAlign();
  pnlTextToReplace->SetVisible(replacement);
  TextSplitter->SetVisible(replacement);
  pnlEnding->SetVisible(ending);
  TextEndingSplitter->SetVisible(ending);
  // The find memo fills what the others leave, or its share above them.
  pnlFind->SetAlign(replacement ? TAlign::Top : TAlign::Client);
  if (replacement) {
    const int height = pnlTexts->ClientRect().bottom;
    pnlFind->SetHeight(static_cast<int>(std::lround(TextSplitter->GetRatio() * height)));
    if (ending) pnlEnding->SetHeight(height / 3);
  }
  pnlTexts->EnableAlign();
}

void TReplacerForm::rbReplaceClick() {
  SetEnabledDisabled(1);
  ShowMemos(true, false);
}

void TReplacerForm::rbInsBeetweenClick() {
  SetEnabledDisabled(1);
  ShowMemos(true, true);
}

void TReplacerForm::rbDeleteClick(const TRadioButton* sender) {
  SetEnabledDisabled(static_cast<int>(sender->Tag));
  ShowMemos(false, false);
}

bool TReplacerForm::CanStart(TstateOfBrowser* list) {
  if (!list) list = ActiveSelectionList();
  const bool can = !memFind->Text().empty() && list && list->SelectedCount > 0;
  if (!can && btnStartOperation->Focused()) CheckedAction()->SetFocus();
  btnStartOperation->SetEnabled(can);
  return can;
}

void TReplacerForm::StartOperation() {
  if (btnStartOperation->Enabled()) btnStartOperation->Click();
}

void TReplacerForm::memFindChange() { UpdateStartAction(); }

TGlobalBlock TReplacerForm::InitReplacerStructure(const std::string& find, const std::string& replacement) const {
  TPatternPairOptions options;
  options.CaseSensitive = chkCaseSensitive->Checked();
  options.CaseEnabled = chkCaseSensitive->Enabled();
  options.WholeWord = chkWholeWord->Checked();
  options.OemCharset = chkCHSDOS->Checked();
  return BuildPatternBlock(find, replacement, options);
}

void TReplacerForm::btnStartOperationClick() {
  RunOverSelection(hwnd_, [this] { StartSimpleReplace(); });
}

void TReplacerForm::StartSimpleReplace() {
  std::string find = memFind->Text();
  std::string replacement = mmReplace->Text();
  if (find.empty()) {
    ShowMessageBox(hwnd_, Tx(TextNoTextInWindow), "", MB_OK);
    return;
  }
  // Freed in reverse: the thread first (its end is waited for), then the
  // block it reads, then the viewer it reports to.
  auto viewer = std::make_unique<TViewRenReplacer>();
  TGlobalBlock block;
  auto thread = std::make_unique<TThreadOf<TReplacer>>();
  viewer->BindReplaceWorker(*thread);
  thread->Backup = chkBkCopy->Checked();
  const TReplaceMode mode = Mode();
  thread->Mode = mode;
  if (mode == rmJustFind) viewer->SetCaption(viewer->Caption() + Tx(TextJustFind));
  if (mode == rmInsBetween) {
    thread->SplitPosition = static_cast<int32_t>(find.size());
    find += memEnding->Text();
  }
  if (mode == rmDelete || mode == rmInsToHead || mode == rmInsToFoot || mode == rmJustFind) replacement.clear();
  block = InitReplacerStructure(find, replacement);
  thread->PatternBlock = block.Handle();
  viewer->InitSummary(ViewReplaceLayout);
  thread->SetPriority(THREAD_PRIORITY_NORMAL);
  thread->Resume();
  ToolBusy = 1;
  viewer->ShowModal();
}
