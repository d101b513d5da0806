#include "windows/FormFinder.h"

#include <algorithm>
#include <memory>

#include "core/Formats.h"
#include "core/Help.h"
#include "core/RingList.h"
#include "core/SharedTexts.h"
#include "core/translator.h"
#include "framework/FitWidth.h"
#include "framework/IniFile.h"
#include "windows/Finder.h"
#include "windows/FormBrowser.h"
#include "windows/MainForm.h"
#include "windows/SrchRes.h"
#include "windows/StandardQuery.h"
#include "windows/Startup.h"
#include "windows/TabOrder.h"

namespace {

const char* const kSection = "Finder";

// The finder's texts by offset from its base id.
const char* const kDefaultTexts[44] = {
    "Finder", "Find files", "Search f&or:", "Search in:", "A&dd", "Delete", "Edit", "&Advanced", "and:",
    "Date &between:", "&Not older than:", "File si&ze:", "Same size", "Same name", "Duplicates",
    "Attributes", "Archive", "Read only", "Hidden", "Directory", "System", "By Con&tent", "Type:",
    "Find te&xt:", "Cas&e sensitive", "&Phrase", "&OR", "A&ND", "Whole wor&ds only", "&General",
    "Onl&y search in selected directories and files", "&Start Find", "Help", "hour(s)", "day(s)",
    "week(s)", "month(s)", "year(s)", "bytes", "Kbytes", "Mbytes", "equal", "more than", "less than",
};

// Longest path the walk can use; longer entries read from settings are dropped.
constexpr size_t kMaxPathText = MAX_PATH - 1;
// cmbSign index 0, 1, 2: equal, more than, less than.
constexpr uint32_t kSignRules[] = {1, 3, 2};

// Midnight at the start of the picker's day, local time.
SYSTEMTIME StartOfDay(SYSTEMTIME t) {
  t.wHour = t.wMinute = t.wSecond = t.wMilliseconds = 0;
  return t;
}

// The last 100-ns tick of the picker's day: the next day's midnight, as a
// local time converted, less one tick, so a day of a clock change is whole too.
FILETIME EndOfDay(const SYSTEMTIME& t) {
  FILETIME naive;
  SYSTEMTIME day = StartOfDay(t);
  SystemTimeToFileTime(&day, &naive);
  ULARGE_INTEGER u{{naive.dwLowDateTime, naive.dwHighDateTime}};
  u.QuadPart += 24ull * 3600 * 10000000;
  const FILETIME nextNaive{u.LowPart, u.HighPart};
  SYSTEMTIME next;
  FileTimeToSystemTime(&nextNaive, &next);
  FILETIME end;
  DateTimeToFileTime(end, next);
  u = {{end.dwLowDateTime, end.dwHighDateTime}};
  u.QuadPart -= 1;
  return {u.LowPart, u.HighPart};
}

// A control made at its place.
template <class T>
T* At(T* control, int x, int y, int w, int h) {
  control->SetBounds(x, y, w, h);
  return control;
}

}  // namespace

TFinderForm::TFinderForm(TWinControl* owner) : TForm(owner, TFormBorder::None) {
  SetConstraints({330, 300, 0, 0});
  SetBounds(0, 0, 340, 380);
  CreateControls();
  OnResize = [this] { FormResize(); };
  OnFocusEnter = [this] {
    ActivePanel = this;
    ShowFocus(true);
  };
  OnFocusExit = [this] { ShowFocus(false); };
}

void TFinderForm::ShowFocus(bool active) {
  pnlNameTools->SetColor(active ? clActiveCaption : clInactiveCaption);
  TFont font = pnlNameTools->Font();
  font.Color = active ? clCaptionText : clInactiveCaptionText;
  pnlNameTools->SetFont(font);
}

void TFinderForm::CreateControls() {
  pnlAlign = new TPanel(this);
  pnlAlign->SetAlign(TAlign::Top);
  pnlAlign->SetHeight(22);
  pnlAlign->BevelOuter = TBevelCut::None;
  pnlNameTools = new TPanel(pnlAlign);
  pnlNameTools->SetAlign(TAlign::Client);
  pnlNameTools->BevelOuter = TBevelCut::Lowered;
  ShowFocus(false);
  pnlNameTools->OnClick = [this] { pnlAddressLineClick(); };

  pnlBottom = new TPanel(this);
  pnlBottom->SetAlign(TAlign::Bottom);
  pnlBottom->SetHeight(66);
  pnlBottom->BevelOuter = TBevelCut::None;
  pnlBottom->OnResize = [this] { FormResize(); };
  chkFindInSelDirs = At(new TCheckBox(pnlBottom), 8, 6, 316, 17);
  chkFindInSelDirs->OnClick = [this] { UpdateFinderButtons(); };
  btnStartOperation = At(new TPylBitBtn(pnlBottom), 40, 30, 120, 28);
  btnStartOperation->OnClick = [this] { btnStartOperationClick(); };
  btnHelpFinder = At(new TPylBitBtn(pnlBottom), 170, 30, 90, 28);
  btnHelpFinder->OnClick = [this] { btnHelpFinderClick(); };

  pcFinder = new TPageControl(this);
  pcFinder->SetAlign(TAlign::Client);
  tsGeneral = new TTabSheet(pcFinder);
  tsAdvansed = new TTabSheet(pcFinder);
  tsByText = new TTabSheet(pcFinder);
  CreateGeneralPage();
  CreateAdvancedPage();
  CreateContentPage();
  pcFinder->SetActivePage(tsGeneral);
  // Made first to be aligned at the bottom, met by Tab after the pages.
  PlaceInTabOrder(*pnlBottom, HWND_BOTTOM);
  ActiveControl = cmbSearchFor;
}

void TFinderForm::CreateGeneralPage() {
  lblSearchFor = At(new TLabel(tsGeneral), 8, 8, 0, 0);
  cmbSearchFor = At(new TOrvComboBox(tsGeneral), 8, 24, 300, 21);
  cmbSearchFor->SetText("*.*");
  lblSearchIn = At(new TLabel(tsGeneral), 8, 54, 0, 0);
  lbSearchPaths = At(new TListBox(tsGeneral, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS), 8, 70, 216, 120);
  lbSearchPaths->SetItemHeight(18);
  lbSearchPaths->OnDrawItem = [this](int i, const RECT& r, unsigned s, TCanvas& c) {
    lbSearchPathsDrawItem(i, r, s, c);
  };
  lbSearchPaths->OnSelect = [this] { UpdateFinderButtons(); };
  lbSearchPaths->OnDblClick = [this] { btnEditClick(); };
  lbSearchPaths->OnKeyDown = [this](WORD& key, unsigned) {
    if (key != VK_DELETE) return;
    key = 0;
    btnDeleteClick();
  };
  lbSearchPaths->OnEnter = [this] { lbSearchPaths->Invalidate(); };
  lbSearchPaths->OnExit = [this] { lbSearchPaths->Invalidate(); };
  btnAdd = new TButton(tsGeneral);
  btnAdd->OnClick = [this] { btnAddClick(); };
  btnEdit = new TButton(tsGeneral);
  btnEdit->OnClick = [this] { btnEditClick(); };
  btnDelete = new TButton(tsGeneral);
  btnDelete->OnClick = [this] { btnDeleteClick(); };
  cmbSearchFor->OnKeyDown = [this](WORD& key, unsigned) {
    if (key != VK_RETURN) return;
    key = 0;
    if (btnStartOperation->Enabled()) btnStartOperation->Click();
  };
  tsGeneral->OnResize = [this] {
    const RECT r = tsGeneral->ClientRect();
    const int w = r.right, h = r.bottom;
    cmbSearchFor->SetWidth(std::max(w - 16, 60));
    const int listWidth = std::max(w - 104, 60);
    lbSearchPaths->SetBounds(8, 70, listWidth, std::max(h - 78, 40));
    const int x = 8 + listWidth + 8;
    btnAdd->SetBounds(x, 70, 80, 25);
    btnEdit->SetBounds(x, 100, 80, 25);
    btnDelete->SetBounds(x, 130, 80, 25);
  };
}

void TFinderForm::CreateAdvancedPage() {
  auto box = [this](TWinControl* parent, int x, int y, int w, bool threeState) {
    auto* c = new TCheckBox(parent);
    c->SetBounds(x, y, w, 17);
    if (threeState) {
      c->SetAllowGrayed(true);
      c->SetState(TCheckBoxState::Grayed);
    }
    return c;
  };
  auto list = [this](int x, int y, int w) {
    auto* c = new TComboBox(tsAdvansed, TComboStyle::DropDownList);
    c->SetBounds(x, y, w, 21);
    c->SetEnabled(false);
    return c;
  };
  chkDuplicates = box(tsAdvansed, 6, 8, 100, false);
  chkDuplicates->OnClick = [this] { chkDuplicatesClick(); };
  chkSameName = box(tsAdvansed, 112, 8, 100, false);
  chkSameSize = box(tsAdvansed, 216, 8, 100, false);
  for (TCheckBox* c : {chkSameName, chkSameSize}) {
    c->SetAllowGrayed(true);
    c->SetState(TCheckBoxState::Grayed);
    c->SetEnabled(false);
  }
  chkSameName->OnClick = [this] { chkSameRuleClick(chkSameName, chkSameSize); };
  chkSameSize->OnClick = [this] { chkSameRuleClick(chkSameSize, chkSameName); };

  chkDateBetween = box(tsAdvansed, 6, 36, 114, false);
  chkDateBetween->OnClick = [this] { chkDateBetweenClick(); };
  dtpDateFirst = At(new TDateTimePicker(tsAdvansed), 122, 34, 86, 21);
  lblAnd = At(new TLabel(tsAdvansed), 211, 38, 0, 0);
  dtpDateEnd = At(new TDateTimePicker(tsAdvansed), 234, 34, 86, 21);
  dtpDateFirst->SetEnabled(false);
  dtpDateEnd->SetEnabled(false);

  chkNotOlderThen = box(tsAdvansed, 6, 64, 114, false);
  chkNotOlderThen->OnClick = [this] { chkNotOlderThenClick(); };
  spNotOlder = At(new TSpinEdit(tsAdvansed), 122, 62, 60, 21);
  spNotOlder->MinValue = 0;
  spNotOlder->MaxValue = UINT32_MAX;
  spNotOlder->SetValue(1);
  spNotOlder->SetEnabled(false);
  cmbRange = list(186, 62, 96);

  chkFindFilesSize = box(tsAdvansed, 6, 92, 114, false);
  chkFindFilesSize->OnClick = [this] { chkFindFilesSizeClick(); };
  cmbSign = list(122, 90, 80);
  spSize = At(new TSpinEdit(tsAdvansed), 206, 90, 60, 21);
  spSize->MinValue = 0;
  spSize->MaxValue = INT64_MAX;
  spSize->SetEnabled(false);
  cmbSize = list(270, 90, 58);

  gbxAttributes = At(new TGroupBox(tsAdvansed), 6, 120, 318, 66);
  chkArchive = box(gbxAttributes, 10, 18, 96, true);
  chkReadOnly = box(gbxAttributes, 110, 18, 96, true);
  chkHidden = box(gbxAttributes, 210, 18, 96, true);
  chkDirectory = box(gbxAttributes, 10, 40, 96, true);
  chkSystem = box(gbxAttributes, 110, 40, 96, true);
}

// The three boxes of the dates and the size share a column as wide as the
// widest of them; what each sets follows it, every list as wide as its
// widest choice, so that a language with longer words still fits.
void TFinderForm::LayOutAdvancedPage() {
  int column = 0;
  for (TCheckBox* c : {chkDateBetween, chkNotOlderThen, chkFindFilesSize}) column = std::max(column, FitWidth(*c));
  for (TCheckBox* c : {chkDateBetween, chkNotOlderThen, chkFindFilesSize}) c->SetWidth(column);
  constexpr int kGap = 4;
  const int x = chkDateBetween->Left() + column + 2;
  dtpDateFirst->SetLeft(x);
  lblAnd->SetLeft(x + dtpDateFirst->Width() + 3);
  dtpDateEnd->SetLeft(lblAnd->Left() + lblAnd->Width() + kGap);
  spNotOlder->SetLeft(x);
  cmbRange->SetBounds(x + spNotOlder->Width() + kGap, cmbRange->Top(), FitWidth(*cmbRange), cmbRange->Height());
  cmbSign->SetBounds(x, cmbSign->Top(), FitWidth(*cmbSign), cmbSign->Height());
  spSize->SetLeft(cmbSign->Left() + cmbSign->Width() + kGap);
  cmbSize->SetBounds(spSize->Left() + spSize->Width() + kGap, cmbSize->Top(), FitWidth(*cmbSize), cmbSize->Height());
}

void TFinderForm::CreateContentPage() {
  chkFindText = At(new TCheckBox(tsByText), 8, 8, 200, 17);
  chkFindText->OnClick = [this] { chkFindTextClick(); };
  cmbTextToFind = At(new TOrvComboBox(tsByText), 8, 28, 300, 21);
  cmbTextToFind->OnKeyDown = [this](WORD& key, unsigned) {
    if (key != VK_RETURN) return;
    key = 0;
    if (btnStartOperation->Enabled()) btnStartOperation->Click();
  };
  chkCaseSensitive = At(new TCheckBox(tsByText), 8, 58, 200, 17);
  lblType = At(new TLabel(tsByText), 8, 86, 0, 0);
  rbPhrase = At(new TRadioButton(tsByText), 20, 104, 90, 17);
  rbOr = At(new TRadioButton(tsByText), 116, 104, 70, 17);
  rbAnd = At(new TRadioButton(tsByText), 192, 104, 70, 17);
  rbPhrase->SetChecked(true);
  for (TWinControl* c : std::initializer_list<TWinControl*>{cmbTextToFind, chkCaseSensitive, rbPhrase, rbOr, rbAnd})
    c->SetEnabled(false);
  tsByText->OnResize = [this] { cmbTextToFind->SetWidth(std::max(int(tsByText->ClientRect().right) - 16, 60)); };
}

void TFinderForm::FormResize() {
  chkFindInSelDirs->SetWidth(std::max(pnlBottom->Width() - chkFindInSelDirs->Left(), 0));
  // The two buttons centred together, keeping their distance.
  constexpr int gap = 10;
  const int total = btnStartOperation->Width() + gap + btnHelpFinder->Width();
  const int x = std::max((pnlBottom->Width() - total) / 2, 0);
  btnStartOperation->SetLeft(x);
  btnHelpFinder->SetLeft(x + btnStartOperation->Width() + gap);
}

void TFinderForm::InitGlyphs() {
  btnHelpFinder->LoadGlyph("BTNHLP");
  btnStartOperation->LoadGlyph("BTNSTART", 3);
}

void TFinderForm::RegisterDefaultTexts(int32_t id) {
  id_ = id;
  for (int i = 0; i < 44; ++i) Translator().AddString(id + i, kDefaultTexts[i]);
}

void TFinderForm::FillCombo(TComboBox* combo, int first, int count) {
  const int index = std::max(combo->ItemIndex(), 0);
  combo->Items.Clear();
  for (int i = 0; i < count; ++i) combo->Items.Add(Tx(first + i));
  combo->SetItemIndex(index);
}

void TFinderForm::ApplyTexts(int32_t id) {
  id_ = id;
  const std::pair<TControl*, int> captions[] = {
      {pnlNameTools, 0},      {lblSearchFor, 2},      {lblSearchIn, 3},     {btnAdd, 4},
      {btnDelete, 5},         {btnEdit, 6},           {tsAdvansed, 7},      {lblAnd, 8},
      {chkDateBetween, 9},    {chkNotOlderThen, 10},  {chkFindFilesSize, 11}, {chkSameSize, 12},
      {chkSameName, 13},      {chkDuplicates, 14},    {gbxAttributes, 15},  {chkArchive, 16},
      {chkReadOnly, 17},      {chkHidden, 18},        {chkDirectory, 19},   {chkSystem, 20},
      {tsByText, 21},         {lblType, 22},          {chkFindText, 23},    {chkCaseSensitive, 24},
      {rbPhrase, 25},         {rbOr, 26},             {rbAnd, 27},          {tsGeneral, 29},
      {chkFindInSelDirs, 30}, {btnStartOperation, 31}, {btnHelpFinder, 32},
  };
  for (const auto& [control, offset] : captions) control->SetCaption(Tx(id + offset));
  FillCombo(cmbRange, id + 33, 5);
  FillCombo(cmbSize, id + 38, 3);
  FillCombo(cmbSign, id + 41, 3);
  LayOutAdvancedPage();
  btnStartOperation->SetWidth(std::max(120, btnStartOperation->FitWidth()));
  btnHelpFinder->SetWidth(std::max(90, btnHelpFinder->FitWidth()));
  FormResize();
}

void TFinderForm::LoadSettings() {
  const TIniFile ini(SettingsFilePath);
  cmbSearchFor->LoadHistory(ini, kSection, "MASK_FINDER");
  cmbTextToFind->LoadHistory(ini, kSection, "FIND_TEXT");
  // The newest texts are the ones offered.
  cmbSearchFor->SetText(cmbSearchFor->Items.Count() > 0 ? cmbSearchFor->Items[0] : "*.*");
  if (cmbTextToFind->Items.Count() > 0) cmbTextToFind->SetText(cmbTextToFind->Items[0]);
  TStringList paths;
  ReadStringsFromIni(ini, paths, kSection, "SEARCH_PATHS");
  lbSearchPaths->Items.Clear();
  // Settings are input: an empty or over-long entry names no folder.
  for (const std::string& path : paths)
    if (!path.empty() && path.size() <= kMaxPathText && path.find('\0') == std::string::npos)
      lbSearchPaths->Items.Add(path);
  if (lbSearchPaths->Items.Count() > 0) lbSearchPaths->SetItemIndex(0);
  UpdateFinderButtons();
}

void TFinderForm::SaveSettings() {
  TIniFile ini(SettingsFilePath);
  cmbSearchFor->AddToHistory();
  cmbTextToFind->AddToHistory();
  cmbSearchFor->SaveHistory(ini, kSection, "MASK_FINDER");
  cmbTextToFind->SaveHistory(ini, kSection, "FIND_TEXT");
  TStringList paths;
  for (const std::string& path : lbSearchPaths->Items.ToVector()) paths.Add(path);
  WriteStringsToIni(ini, paths, kSection, "SEARCH_PATHS");
}

void TFinderForm::UpdateFinderButtons() {
  const bool paths = lbSearchPaths->Items.Count() > 0;
  const bool chosen = paths && lbSearchPaths->ItemIndex() >= 0;
  btnDelete->SetEnabled(chosen);
  btnEdit->SetEnabled(chosen);
  lbSearchPaths->SetEnabled(paths);
  if (!paths && chkFindInSelDirs->Enabled() && !chkFindInSelDirs->Checked()) chkFindInSelDirs->SetChecked(true);
  btnStartOperation->SetEnabled(paths || chkFindInSelDirs->Checked());
}

bool TFinderForm::CanStart(TstateOfBrowser* list) {
  if (!list && ActivePane)
    list = ActivePane->DisplayMode() == PaneBasket ? &ActivePane->BasketView() : &ActivePane->OwnList();
  const HWND focus = GetFocus();
  const bool selection = list && list->SelectedCount > 0;
  chkFindInSelDirs->SetEnabled(selection);
  if (!selection) chkFindInSelDirs->SetChecked(false);
  UpdateFinderButtons();
  const bool lostFocus = (focus == chkFindInSelDirs->Handle() && !chkFindInSelDirs->Enabled()) ||
                         (focus == btnStartOperation->Handle() && !btnStartOperation->Enabled());
  if (lostFocus) pnlAddressLineClick();
  for (TOrvComboBox* combo : {cmbSearchFor, cmbTextToFind})
    if (!combo->Focused() && GetParent(GetFocus()) != combo->Handle())
      SendMessageA(combo->Handle(), CB_SETEDITSEL, 0, MAKELPARAM(-1, 0));
  return btnStartOperation->Enabled();
}

void TFinderForm::StartOperation() {
  if (btnStartOperation->Enabled()) btnStartOperation->Click();
}

void TFinderForm::ShowHelp() { btnHelpFinder->Click(); }

void TFinderForm::btnHelpFinderClick() { ShowHelpTopic(hwnd_, "::/FINDER.htm"); }

void TFinderForm::SetAlignPanelVisible(bool visible) { pnlAlign->SetVisible(visible); }

void TFinderForm::pnlAddressLineClick() {
  TWinControl* first = cmbSearchFor;
  if (pcFinder->ActivePage() == tsAdvansed) first = chkDateBetween;
  if (pcFinder->ActivePage() == tsByText) first = chkFindText;
  if (first->CanFocus()) first->SetFocus();
}

// The rules show grayed while they do not apply; the user never grays them.
void TFinderForm::chkDuplicatesClick() {
  const bool on = chkDuplicates->Checked();
  for (TCheckBox* c : {chkSameName, chkSameSize}) {
    c->SetEnabled(on);
    if (!on) c->SetAllowGrayed(true);
    c->SetState(on ? TCheckBoxState::Checked : TCheckBoxState::Grayed);
    if (on) c->SetAllowGrayed(false);
  }
}

// One rule always stays: unchecking the last one checks the other.
void TFinderForm::chkSameRuleClick(TCheckBox* clicked, TCheckBox* other) {
  if (!chkDuplicates->Checked()) return;
  if (clicked->State() == TCheckBoxState::Unchecked && other->State() == TCheckBoxState::Unchecked)
    other->SetChecked(true);
}

void TFinderForm::chkDateBetweenClick() {
  const bool on = chkDateBetween->Checked();
  dtpDateFirst->SetEnabled(on);
  dtpDateEnd->SetEnabled(on);
  if (on && chkDateBetween->Focused()) chkNotOlderThen->SetChecked(false);
}

void TFinderForm::chkNotOlderThenClick() {
  const bool on = chkNotOlderThen->Checked();
  spNotOlder->SetEnabled(on);
  cmbRange->SetEnabled(on);
  if (on && chkNotOlderThen->Focused()) chkDateBetween->SetChecked(false);
}

void TFinderForm::chkFindFilesSizeClick() {
  const bool on = chkFindFilesSize->Checked();
  for (TWinControl* c : std::initializer_list<TWinControl*>{cmbSign, spSize, cmbSize}) c->SetEnabled(on);
}

void TFinderForm::chkFindTextClick() {
  const bool on = chkFindText->Checked();
  for (TWinControl* c : std::initializer_list<TWinControl*>{cmbTextToFind, chkCaseSensitive, rbPhrase, rbOr, rbAnd})
    c->SetEnabled(on);
  if (on && cmbTextToFind->CanFocus()) cmbTextToFind->SetFocus();
}

bool TFinderForm::AskPath(int textId, std::string& path) {
  TStandardQuery query(Application().MainForm ? Application().MainForm->Handle() : nullptr);
  query.SetCaption(Tx(textId));
  query.lblInfo->SetCaption(Tx(textId));
  query.btnBrowse->Show();
  query.edInfo->SetText(path);
  query.ActiveControl = query.edInfo;
  if (query.ShowModal() != mrOk) return false;
  path = query.edInfo->Text();
  return !path.empty();
}

void TFinderForm::btnAddClick() {
  std::string path = "c:\\";
  if (!AskPath(TextAddPath, path)) return;
  lbSearchPaths->SetItemIndex(lbSearchPaths->Items.Add(path));
  PathsChanged();
}

void TFinderForm::btnEditClick() {
  const int index = lbSearchPaths->ItemIndex();
  if (index < 0) return;
  std::string path = lbSearchPaths->Items[index];
  if (!AskPath(TextEditPath, path)) return;
  lbSearchPaths->Items.Delete(index);
  lbSearchPaths->Items.Insert(index, path);
  lbSearchPaths->SetItemIndex(index);
  PathsChanged();
}

void TFinderForm::btnDeleteClick() {
  const int index = lbSearchPaths->ItemIndex();
  if (index < 0) return;
  lbSearchPaths->Items.Delete(index);
  const int count = lbSearchPaths->Items.Count();
  if (count > 0) lbSearchPaths->SetItemIndex(std::min(index, count - 1));
  PathsChanged();
  if (count == 0 && cmbSearchFor->CanFocus()) cmbSearchFor->SetFocus();
}

void TFinderForm::PathsChanged() {
  UpdateFinderButtons();
  UpdateStartAction();
}

void TFinderForm::lbSearchPathsDrawItem(int index, const RECT& rect, unsigned state, TCanvas& c) {
  const bool focused = lbSearchPaths->Focused();
  TColor back = clWindow, text = clWindowText;
  if (state & odSelected) {
    back = focused ? clActiveCaption : clInactiveCaption;
    text = focused ? clCaptionText : clInactiveCaptionText;
  }
  c.SetBrushColor(back);
  c.FillRect(rect);
  const std::string item = lbSearchPaths->Items[index];
  SetBkMode(c.Handle(), TRANSPARENT);
  SetTextColor(c.Handle(), ColorToRGB(text));
  c.TextRect(rect, rect.left + 3, rect.top + (int(rect.bottom - rect.top) - c.TextHeight(item)) / 2, item);
}

void TFinderForm::FillFilter() {
  TFileFilter& f = SearchList.Filter;
  f = TFileFilter();
  f.Duplicates = chkDuplicates->Checked() ? 1 : 0;
  if (f.Duplicates)
    f.DuplicateRule = (chkSameName->Checked() ? 1u : 0u) | (chkSameSize->Checked() ? 2u : 0u);
  const std::pair<TCheckBox*, uint32_t> attributes[] = {
      {chkArchive, FILE_ATTRIBUTE_ARCHIVE}, {chkReadOnly, FILE_ATTRIBUTE_READONLY},
      {chkSystem, FILE_ATTRIBUTE_SYSTEM},   {chkHidden, FILE_ATTRIBUTE_HIDDEN},
      {chkDirectory, FILE_ATTRIBUTE_DIRECTORY},
  };
  for (const auto& [box, bit] : attributes) {
    if (box->State() == TCheckBoxState::Unchecked) f.ExcludedAttributes |= bit;
    if (box->State() == TCheckBoxState::Checked) f.RequiredAttributes |= bit;
  }
  f.Active = 1;
  if (chkFindFilesSize->Checked()) {
    f.SizeValue = uint64_t(std::max<int64_t>(spSize->Value(), 0));
    const int sign = std::clamp(cmbSign->ItemIndex(), 0, 2), unit = std::clamp(cmbSize->ItemIndex(), 0, 2);
    f.SizeRule = kSignRules[sign] + uint32_t(4 * (unit + 1));
  }
  if (chkDateBetween->Checked()) {
    f.DateMode = 1;
    DateTimeToFileTime(f.DateFrom, StartOfDay(dtpDateFirst->DateTime()));
    f.DateTo = EndOfDay(dtpDateEnd->DateTime());
  } else if (chkNotOlderThen->Checked()) {
    f.DateMode = 2;
    f.AgeCount = uint32_t(std::clamp<int64_t>(spNotOlder->Value(), 0, UINT32_MAX));
    f.AgeUnit = uint32_t(std::max(cmbRange->ItemIndex(), 0));
  }
}

void TFinderForm::btnStartOperationClick() {
  if (!btnStartOperation->Enabled() || MainCommandsHeld()) return;
  cmbSearchFor->AddToHistory();
  {
    TLock lock(ResultsLock);
    FreeFileList(SearchList);
    InitFileList(SearchList, 10, 300, cmbSearchFor->Text(), 10000);
    FillFilter();
    ResultsList = &SearchList;
    SearchList.ModeFlags = ModeResults;
  }
  auto results = std::make_unique<TSrchRes>();
  results->InitForFinder();
  auto finder = std::make_unique<TThreadOf<TFinder>>();
  finder->SetPriority(THREAD_PRIORITY_NORMAL);
  // A copy: the list box keeps its strings in its window, which the thread
  // must never touch.
  if (!chkFindInSelDirs->Checked()) finder->SearchPaths = lbSearchPaths->Items.ToVector();
  if (chkFindText->Checked()) {
    cmbTextToFind->AddToHistory();
    BuildPatternBlock(*finder, cmbTextToFind->Text(), chkCaseSensitive->Checked(), rbPhrase->Checked());
    finder->AllWords = rbAnd->Checked();
  }
  TSrchRes* window = results.get();
  finder->Window = window;
  results->Finder = finder.get();
  finder->OnTerminate = [window] { window->FinderTerminated(); };
  finder->Resume();
  ToolBusy = 1;
  if (OnResultsShown) OnResultsShown(*results);
  results->ShowModal();
  // The thread goes first: its OnTerminate touches the window.
  finder.reset();
  const bool wentToFile = results->WentToFile;
  results.reset();
  {
    TLock lock(ResultsLock);
    FreeFileList(SearchList);
  }
  ToolBusy = 0;
  if (MainForm) MainForm->RefreshPanes();
  if (wentToFile && ActivePane && ActivePane->sgBrowser->CanFocus()) ActivePane->sgBrowser->SetFocus();
}
