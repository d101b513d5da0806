#include "windows/Options.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "core/FileList.h"
#include "core/FileUtils.h"
#include "core/translator.h"
#include "framework/FindFiles.h"
#include "framework/Handles.h"
#include "windows/FormBrowser.h"
#include "windows/MainForm.h"
#include "windows/Settings.h"
#include "windows/TabOrder.h"

bool SaveSettingsEnabled = false;

namespace {

const TUnitTexts optionsTexts{
    {900, "Options"},
    {901, "&Ok"},
    {902, "&Cancel"},
    {903, "&Save settings"},
    {904, "&Apply"},
    {905, "Layout"},
    {906, "Screen layout"},
    {907, "Show &main toolbar"},
    {908, "Show &drive buttons"},
    {909, "Show drive buttons above &both window"},
    {910, "Show drive combobo&x"},
    {911, "Show &tabstop header"},
    {912, "Show cu&rrent directory"},
    {913, "Show status li&ne"},
    {914, "Show &functions key buttons"},
    {915, "Display"},
    {916, "Main program"},
    {917, "&Show Hidden/System files"},
    {918, "Browser fileview"},
    {919, "Font fileview, basketview panel"},
    {920, "Font name, Size, Style"},
    {921, "AaBbYyZz"},
    {922, "Change font"},
    {923, "Edit/View"},
    {924, "Editor for F4"},
    {925, "&Editor:"},
    {926, ">>"},
    {927, "Viewer for F3"},
    {928, "&Viewer:"},
    {929, ">>"},
    {930, "Colors"},
    {931, "Colors"},
    {932, "&Font color"},
    {933, "Background"},
    {934, "&Mark color"},
    {935, "&Cursor color"},
    {936, "Cu&rsor font"},
    {937, "Example"},
    {938, "default"},
    {939, "default"},
    {940, "default"},
    {941, "default"},
    {942, "default"},
    {943, "Mark"},
    {944, "Text"},
    {945, "Cursor"},
    {946, "Confirmations"},
    {947, "Get confirmation before"},
    {948, "Deleting &non-empty directories"},
    {949, "&Overwriting files"},
    {950, "Overwriting/Deleting &read-only files"},
    {951, "Overwriting/Deleting &hidden/system files"},
    {952, "Operation"},
    {953, "Selection (with Gray +)"},
    {954, "&Selected files only"},
    {955, "Also selected d&irectories"},
    {956, "Quick search (dir, file)"},
    {957, "&Ctrl+Alt+Letter"},
    {958, "Al&t+Letter"},
    {959, "Misc"},
    {960, "C&alculate space occupied by subdirectories when selection with <Space>"},
    {961, "&F8/Del deletes to Recycle Bin (Shift+F8 = delete directly)"},
    {962, "Save settings on exit"},
    {963, "default"},
    {964, "black"},
    {965, "white"},
    {966, "yellow"},
    {967, "green"},
    {968, "navy"},
    {969, "teal"},
    {970, "gray"},
    {971, "silver"},
    {972, "red"},
    {973, "blue"},
    {974, "aqua"},
    {975, "Language"},
    {976, "C&hange the language"},
    {977, "Show status of the bas&ket line"},
    {978, "F&lat button \"Send to Basket\""},
    {979, "Select the files on \"Search results\" window after searching finished"},
    {980, "Select the files while sending them to the Basket"},
    {981, "Restore the settings of Renamer utility on start up"},
};

constexpr int kColorNames = 963;
constexpr int kColorCount = 12;
constexpr const char* kEnglish = "English language";

// The option bits that one check box or radio button stands for alone; the
// drive-button pair and the renamer box have couplings of their own.
struct TOptionBit {
  TCheckBox* TOptions::*control;
  bool layout;  // of "Layout", else of "GeneralCheckContainer"
  uint32_t bit;
  bool inverted;  // the bit is set while the box is off
};

const TOptionBit kOptionBits[] = {
    {&TOptions::chkShowMainToolbar, true, LayoutMainToolbar, false},
    {&TOptions::chkShowFunctionsKeyButtons, true, LayoutFunctionKeys, false},
    {&TOptions::chkShowDriveCombobox, true, LayoutDriveCombo, false},
    {&TOptions::chkShowTabStopHeader, true, LayoutHeaders, false},
    {&TOptions::chkShowCurrentDirectory, true, LayoutCurrentFolder, false},
    {&TOptions::chkShowStatusLine, true, LayoutStatusLine, false},
    {&TOptions::chkShowInfoBasketLine, true, LayoutNoBasketLine, true},
    {&TOptions::chkFlatBtnSendToBasket, true, LayoutFlatBasketButton, false},
    {&TOptions::chkSelectoinWithSpace, false, 0x0001, false},
    {&TOptions::chkDeleteNonEmptyDirs, false, 0x0002, true},
    {&TOptions::chkDeleteToRecycleBin, false, 0x0004, false},
    {&TOptions::chkOverwritingFiles, false, 0x0010, false},
    {&TOptions::chkOverwritingHiddenSystemFiles, false, 0x0020, false},
    {&TOptions::chkOverwritingReadOnlyFiles, false, 0x0040, false},
    {&TOptions::chkShowHidden, false, OptShowHidden, false},
    {&TOptions::chkSaveSett, false, OptSaveSettings, false},
    {&TOptions::chkSelectFilesInSearchResult, false, 0x2000, false},
    {&TOptions::chkSelectFilesWhileSendToBasket, false, 0x4000, false},
};

struct TRadioBit {
  TRadioButton* TOptions::*control;
  uint32_t bit;
};

const TRadioBit kRadioBits[] = {
    {&TOptions::rbtSelectedFilesOnly, 0x0008},
    {&TOptions::rbtAltLetter, 0x0100},
    {&TOptions::rbtCtrlAltLetter, 0x0200},
};
constexpr uint32_t kRestoreRenamer = 0x1000;

TFont CurrentFilesFont() {
  if (FilesFont) return *FilesFont;
  TFont font;
  font.Bold = true;
  return font;
}

void SetFontColor(TLabel* label, TColor color) {
  TFont font = label->Font();
  font.Color = color;
  label->SetFont(font);
}

void EachVisiblePane(const std::function<void(TBrowserForm&)>& apply) {
  if (!MainForm) return;
  for (TForm* pane : {MainForm->LeftBrowser, MainForm->RightBrowser})
    if (auto* browser = dynamic_cast<TBrowserForm*>(pane); browser && browser->Visible()) apply(*browser);
}

}  // namespace

TOptions::TOptions() : TForm(nullptr, TFormBorder::Dialog) {
  SetClientSize(614, 370);
  tvOptions = new TTreeView(this);
  tvOptions->SetBounds(8, 8, 150, 318);
  tvOptions->TabStop = true;
  tvOptions->OnChange = [this](TTreeNode) { tvOptionsChange(); };
  tvOptions->OnKeyDown = [this](WORD& key, unsigned shift) { tvOptionsKeyDown(key, shift); };
  tvOptions->OnCollapsing = [](TTreeNode, bool& allow) { allow = false; };
  OptionsPages = new TPageControl(this);
  OptionsPages->SetBounds(166, 8, 440, 318);
  pnlButtons = new TPanel(this);
  pnlButtons->BevelOuter = TBevelCut::None;
  pnlButtons->SetBounds(0, 332, 614, 38);
  const auto button = [this](int x, int w, int id) {
    auto* b = new TButton(pnlButtons);
    b->SetBounds(x, 4, w, 25);
    b->TabStop = true;
    captions_.emplace_back(id, b);
    return b;
  };
  btnOk = button(226, 75, 1);
  btnOk->SetDefault(true);
  btnOk->OnClick = [this] { btnOkClick(); };
  btnCancel = button(306, 75, 2);
  btnCancel->Cancel = true;
  btnCancel->ModalResult = mrCancel;
  btnSaveSettings = button(386, 120, 3);
  btnSaveSettings->OnClick = [this] { btnSaveSettingsClick(); };
  btnApply = button(511, 95, 4);
  btnApply->OnClick = [this] { btnApplyClick(); };
  btnApply->SetEnabled(false);
  captions_.emplace_back(0, this);
  CreatePages();
  // The tree picks the page; a page control without tabs is no Tab stop.
  RemoveTabStop(*OptionsPages);
  ActiveControl = tvOptions;
  OnShow = [this] { FormShow(); };
}

TOptions::~TOptions() = default;

TCheckBox* TOptions::Check(TWinControl* parent, int y, int width) {
  auto* c = new TCheckBox(parent);
  c->SetBounds(10, y, width, 17);
  c->TabStop = true;
  c->OnClick = [this] { SettingChanged(); };
  return c;
}

void TOptions::CreatePages() {
  const auto page = [this](int id) {
    auto* p = new TTabSheet(OptionsPages);
    p->SetTabVisible(false);
    captions_.emplace_back(id, p);
    return p;
  };
  const auto group = [this](TWinControl* parent, int y, int h, int id) {
    auto* g = new TGroupBox(parent);
    g->SetBounds(6, y, 424, h);
    captions_.emplace_back(id, g);
    return g;
  };
  const auto label = [this](TWinControl* parent, int x, int y, int id) {
    auto* l = new TLabel(parent);
    l->SetBounds(x, y, 0, 0);
    captions_.emplace_back(id, l);
    return l;
  };
  tsLayout = page(5);
  gbScreenLayout = group(tsLayout, 6, 236, 6);
  CreateLayoutPage();

  tsDisplay = page(15);
  GroupBox2 = group(tsDisplay, 6, 50, 16);
  chkShowHidden = Check(GroupBox2, 20);
  captions_.emplace_back(17, chkShowHidden);

  tsLanguage = page(75);
  Label1 = label(tsLanguage, 8, 10, 76);
  lstLanguage = new TListBox(tsLanguage);
  lstLanguage->SetBounds(8, 30, 420, 270);
  lstLanguage->TabStop = true;
  lstLanguage->OnSelect = [this] { SettingChanged(); };

  tsBrowserView = page(18);
  gbxFileviewFont = group(tsBrowserView, 6, 136, 19);
  lblFileFont = label(gbxFileviewFont, 12, 24, 20);
  lblFileFontEx = label(gbxFileviewFont, 12, 50, 21);
  btnLCompareFont = new TButton(gbxFileviewFont);
  btnLCompareFont->SetBounds(12, 100, 110, 25);
  btnLCompareFont->TabStop = true;
  btnLCompareFont->OnClick = [this] { btnLCompareFontClick(); };
  captions_.emplace_back(22, btnLCompareFont);

  tsEditView = page(23);
  CreateEditViewPage();

  tsColor = page(30);
  CreateColorPage();

  tsConfirmations = page(46);
  gbGetConfirmationBefore = group(tsConfirmations, 6, 112, 47);
  chkDeleteNonEmptyDirs = Check(gbGetConfirmationBefore, 20);
  chkOverwritingFiles = Check(gbGetConfirmationBefore, 42);
  chkOverwritingReadOnlyFiles = Check(gbGetConfirmationBefore, 64);
  chkOverwritingHiddenSystemFiles = Check(gbGetConfirmationBefore, 86);
  int id = 48;
  for (TControl* c : {chkDeleteNonEmptyDirs, chkOverwritingFiles, chkOverwritingReadOnlyFiles,
                      chkOverwritingHiddenSystemFiles})
    captions_.emplace_back(id++, c);

  tsOperation = page(52);
  CreateOperationPage();
}

void TOptions::CreateLayoutPage() {
  TCheckBox** boxes[] = {&chkShowMainToolbar,      &chkShowDriveButtons,     &chkShowDriveButtonsAboveBothWindow,
                         &chkShowDriveCombobox,    &chkShowTabStopHeader,    &chkShowCurrentDirectory,
                         &chkShowStatusLine,       &chkShowFunctionsKeyButtons, &chkShowInfoBasketLine,
                         &chkFlatBtnSendToBasket};
  int y = 20;
  for (TCheckBox** box : boxes) {
    *box = Check(gbScreenLayout, y);
    y += 21;
  }
  for (int i = 0; i < 8; ++i) captions_.emplace_back(7 + i, *boxes[i]);
  captions_.emplace_back(77, chkShowInfoBasketLine);
  captions_.emplace_back(78, chkFlatBtnSendToBasket);
  chkShowDriveButtons->OnClick = [this] { chkShowDriveButtonsClick(); };
  chkShowInfoBasketLine->OnClick = [this] { chkShowInfoBasketLineClick(); };
}

void TOptions::CreateEditViewPage() {
  const auto program = [this](int y, int ids, TGroupBox*& group, TLabel*& label, TEdit*& edit, TButton*& pick) {
    group = new TGroupBox(tsEditView);
    group->SetBounds(6, y, 424, 60);
    label = new TLabel(group);
    label->SetBounds(12, 26, 0, 0);
    edit = new TEdit(group);
    edit->SetBounds(70, 22, 300, 21);
    edit->TabStop = true;
    pick = new TButton(group);
    pick->SetBounds(376, 21, 36, 23);
    pick->TabStop = true;
    captions_.emplace_back(ids, group);
    captions_.emplace_back(ids + 1, label);
    captions_.emplace_back(ids + 2, pick);
  };
  program(6, 24, gbEditor, lblEditor, edtEditor, btnSelectEditor);
  program(74, 27, gbViewer, Label2, edtViewer, PylBitBtn1);
  btnSelectEditor->OnClick = [this] { btnSelectEditorClick(); };
  PylBitBtn1->OnClick = [this] { PylBitBtn1Click(); };
}

TComboBox* TOptions::ColorList(int slot) {
  const int y = 22 + 30 * (slot - 1);
  auto* l = new TLabel(gbColor);
  l->SetBounds(12, y + 4, 0, 0);
  lblColors[static_cast<size_t>(slot - 1)] = l;
  captions_.emplace_back(31 + slot, l);
  auto* c = new TComboBox(gbColor, TComboStyle::DropDownList);
  c->SetBounds(120, y, 130, 21);
  c->SetDropDownCount(kColorCount);
  c->TabStop = true;
  c->Tag = slot;
  c->OnChange = [this, c] { cmbFontColorChange(*c); };
  return c;
}

void TOptions::CreateColorPage() {
  gbColor = new TGroupBox(tsColor);
  gbColor->SetBounds(6, 6, 424, 170);
  captions_.emplace_back(31, gbColor);
  cmbFontColor = ColorList(1);
  cmbBackground = ColorList(2);
  cmbMarkColor = ColorList(3);
  cmbCursorColor = ColorList(4);
  cmbCursorFont = ColorList(5);
  lblExample = new TLabel(gbColor);
  lblExample->SetBounds(270, 22, 0, 0);
  captions_.emplace_back(37, lblExample);
  pnlExample = new TPanel(gbColor);
  pnlExample->ShowCaption = false;
  pnlExample->BevelOuter = TBevelCut::Lowered;
  pnlExample->SetBounds(270, 42, 140, 100);
  lblText = new TLabel(pnlExample);
  lblText->SetBounds(10, 12, 0, 0);
  lblMark = new TLabel(pnlExample);
  lblMark->SetBounds(10, 38, 0, 0);
  lblCursor = new TLabel(pnlExample);
  lblCursor->AutoSize = false;
  lblCursor->Transparent = false;
  lblCursor->SetBounds(4, 62, 132, 18);
  captions_.emplace_back(43, lblMark);
  captions_.emplace_back(44, lblText);
  captions_.emplace_back(45, lblCursor);
}

void TOptions::CreateOperationPage() {
  const auto group = [this](int y, int id) {
    auto* g = new TGroupBox(tsOperation);
    g->SetBounds(6, y, 424, 62);
    captions_.emplace_back(id, g);
    return g;
  };
  const auto radio = [this](TWinControl* parent, int y, int id) {
    auto* r = new TRadioButton(parent);
    r->SetBounds(10, y, 390, 17);
    r->OnClick = [this] { SettingChanged(); };
    captions_.emplace_back(id, r);
    return r;
  };
  gbSelection = group(6, 53);
  rbtSelectedFilesOnly = radio(gbSelection, 18, 54);
  rbtAlsoSelectedDirectories = radio(gbSelection, 38, 55);
  gbQuickSearch = group(72, 56);
  rbtCtrlAltLetter = radio(gbQuickSearch, 18, 57);
  rbtAltLetter = radio(gbQuickSearch, 38, 58);
  gbMisc = group(138, 59);
  chkSelectoinWithSpace = Check(gbMisc, 18, 408);
  chkDeleteToRecycleBin = Check(gbMisc, 38, 408);
  chkSaveSett = Check(tsOperation, 208);
  chkSaveSett->SetLeft(16);
  chkSaveSett->OnClick = [this] { chkSaveSettClick(); };
  chkRestoreRenStng = Check(tsOperation, 230);
  chkRestoreRenStng->SetLeft(32);
  chkSelectFilesInSearchResult = Check(tsOperation, 252, 408);
  chkSelectFilesInSearchResult->SetLeft(16);
  chkSelectFilesWhileSendToBasket = Check(tsOperation, 274);
  chkSelectFilesWhileSendToBasket->SetLeft(16);
  captions_.emplace_back(60, chkSelectoinWithSpace);
  captions_.emplace_back(61, chkDeleteToRecycleBin);
  captions_.emplace_back(62, chkSaveSett);
  captions_.emplace_back(79, chkSelectFilesInSearchResult);
  captions_.emplace_back(80, chkSelectFilesWhileSendToBasket);
  captions_.emplace_back(81, chkRestoreRenStng);
}

std::array<TComboBox*, 5> TOptions::ColorLists() const {
  return {cmbFontColor, cmbBackground, cmbMarkColor, cmbCursorColor, cmbCursorFont};
}

void TOptions::FormShow() {
  ChangeFlags = 0;
  ApplyOptionsTexts(900);
  FillLanguageList();
  SetCurSettingInComponents();
}

void TOptions::ApplyOptionsTexts(int base) {
  for (const auto& [offset, control] : captions_) control->SetCaption(Tx(base + offset));
  for (TComboBox* list : ColorLists()) {
    const int chosen = list->ItemIndex();
    list->Items.Clear();
    for (int i = 0; i < kColorCount; ++i) list->Items.Add(Tx(kColorNames + i));
    list->SetItemIndex(chosen);
  }
  tvOptions->Clear();
  for (int i = 0; i < OptionsPages->PageCount(); ++i) tvOptions->Add(nullptr, OptionsPages->Pages(i)->Caption(), i);
  tvOptions->Select(tvOptions->First());
}

void TOptions::FillLanguageList() {
  lstLanguage->Items.Clear();
  lstLanguage->Items.Add(kEnglish);
  lstLanguage->SetItemIndex(0);
  TFindFiles search(ProgramFolder() + "*.lng");
  WIN32_FIND_DATAA found;
  while (search.Next(found)) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const int index = lstLanguage->Items.Add(found.cFileName);
    // Names on this system ignore case; an exact comparison would show English.
    if (lstrcmpiA(found.cFileName, Translator().LanguageFileName.c_str()) == 0) lstLanguage->SetItemIndex(index);
  }
}

void TOptions::SetCurSettingInComponents() {
  for (const TOptionBit& o : kOptionBits) {
    const uint32_t word = o.layout ? LayoutOptions : GeneralCheckContainer;
    (this->*o.control)->SetChecked(((word & o.bit) != 0) != o.inverted);
  }
  for (const TRadioBit& r : kRadioBits) (this->*r.control)->SetChecked((GeneralCheckContainer & r.bit) != 0);
  rbtAlsoSelectedDirectories->SetChecked(!rbtSelectedFilesOnly->Checked());
  chkShowDriveButtonsAboveBothWindow->SetChecked((LayoutOptions & LayoutPaneDriveBars) != 0);
  chkShowDriveButtons->SetChecked((LayoutOptions & (LayoutSharedDriveBar | LayoutPaneDriveBars)) != 0);
  chkShowDriveButtonsAboveBothWindow->SetEnabled(chkShowDriveButtons->Checked());
  chkFlatBtnSendToBasket->SetEnabled(chkShowInfoBasketLine->Checked());
  chkRestoreRenStng->SetChecked((GeneralCheckContainer & kRestoreRenamer) && chkSaveSett->Checked());
  chkRestoreRenStng->SetEnabled(chkSaveSett->Checked());
  edtEditor->SetText(EditorPath);
  edtViewer->SetText(ViewerPath);
  const TFont font = CurrentFilesFont();
  lblFileFont->SetCaption(fntCaption(font));
  lblFileFontEx->SetFont(font);
  const auto lists = ColorLists();
  for (size_t i = 0; i < lists.size(); ++i) {
    const int index = MainColorIndexes[i];
    // A hand-edited kvt.ini may hold any number.
    const int shown = index >= 0 && index < kColorCount ? index : 0;
    lists[i]->SetItemIndex(shown);
    ColorSample(static_cast<int>(i) + 1, index);
  }
  btnApply->SetEnabled(false);
  btnSaveSettings->SetEnabled(SaveSettingsEnabled);
}

void TOptions::ColorSample(int slot, int index) {
  const TColor color = MainColorValue(index, slot);
  switch (slot) {
    case 1:
      SetFontColor(lblText, color);
      break;
    case 2:
      pnlExample->SetColor(color);
      break;
    case 3:
      SetFontColor(lblMark, color);
      break;
    case 4:
      lblCursor->SetColor(color);
      lblCursor->Invalidate();
      break;
    case 5:
      SetFontColor(lblCursor, color);
      break;
    default:
      break;
  }
}

std::string TOptions::fStyle(const TFont& font) {
  std::string s;
  if (font.Bold) s += 'B';
  if (font.Italic) s += 'I';
  if (font.Underline) s += 'U';
  if (font.StrikeOut) s += 'S';
  return s.empty() ? "Normal" : s;
}

std::string TOptions::fntCaption(const TFont& font) {
  char text[LF_FACESIZE + 40];
  snprintf(text, sizeof text, "%s, %d, %s", font.Name.c_str(), font.Size, fStyle(font).c_str());
  return text;
}

void TOptions::SettingChanged() {
  btnApply->SetEnabled(true);
  btnSaveSettings->SetEnabled(true);
}

void TOptions::chkShowDriveButtonsClick() {
  if (!chkShowDriveButtons->Checked()) chkShowDriveButtonsAboveBothWindow->SetChecked(false);
  chkShowDriveButtonsAboveBothWindow->SetEnabled(chkShowDriveButtons->Checked());
  SettingChanged();
}

void TOptions::chkShowInfoBasketLineClick() {
  chkFlatBtnSendToBasket->SetEnabled(chkShowInfoBasketLine->Checked());
  SettingChanged();
}

void TOptions::chkSaveSettClick() {
  SettingChanged();
  chkRestoreRenStng->SetEnabled(chkSaveSett->Checked());
  if (!chkSaveSett->Checked()) chkRestoreRenStng->SetChecked(false);
}

void TOptions::btnLCompareFontClick() {
  TFontDialog dialog;
  dialog.Font = CurrentFilesFont();
  if (!dialog.Execute(Handle())) return;
  lblFileFont->SetCaption(fntCaption(dialog.Font));
  lblFileFontEx->SetFont(dialog.Font);
  FilesFont = dialog.Font;
  ChangeFlags |= 1;
  SettingChanged();
}

bool TOptions::PickProgram(std::string& path) {
  TOpenDialog dialog;
  dialog.Filter = "*.exe|*.exe";
  dialog.Options = ofReadOnly | ofHideReadOnly | ofEnableSizing | ofNoChangeDir;
  if (!dialog.Execute(Handle())) return false;
  path = dialog.FileName;
  return true;
}

void TOptions::btnSelectEditorClick() {
  if (!PickProgram(EditorPath)) return;
  edtEditor->SetText(EditorPath);
}

void TOptions::PylBitBtn1Click() {
  if (!PickProgram(ViewerPath)) return;
  edtViewer->SetText(ViewerPath);
}

void TOptions::cmbFontColorChange(TComboBox& sender) {
  ColorSample(static_cast<int>(sender.Tag), sender.ItemIndex());
  SettingChanged();
}

void TOptions::PressedApply() {
  uint32_t layout = 0, general = 0;
  for (const TOptionBit& o : kOptionBits)
    if ((this->*o.control)->Checked() != o.inverted) (o.layout ? layout : general) |= o.bit;
  if (chkShowDriveButtons->Checked())
    layout |= chkShowDriveButtonsAboveBothWindow->Checked() ? LayoutPaneDriveBars : LayoutSharedDriveBar;
  for (const TRadioBit& r : kRadioBits)
    if ((this->*r.control)->Checked()) general |= r.bit;
  if (chkRestoreRenStng->Checked()) general |= kRestoreRenamer;
  LayoutOptions = layout;
  if (MainForm) ApplyLayoutOptions();
  if ((general & OptShowHidden) != (GeneralCheckContainer & OptShowHidden)) ChangeFlags |= 2;
  EditorPath = edtEditor->Text();
  ViewerPath = edtViewer->Text();
  GeneralCheckContainer = general;
  const auto lists = ColorLists();
  for (size_t i = 0; i < lists.size(); ++i) MainColorIndexes[i] = std::max(lists[i]->ItemIndex(), 0);
  MainColorsFromIndexes();
  if ((ChangeFlags & 2) && MainForm) MainForm->RefreshPanes();
  EachVisiblePane([](TBrowserForm& pane) { pane.UpdateView(); });
  const int chosen = lstLanguage->ItemIndex();
  const std::string name = chosen > 0 ? lstLanguage->Items[chosen] : std::string();
  if (lstrcmpiA(name.c_str(), Translator().LanguageFileName.c_str()) != 0) {
    Translator().LanguageFileName = name;
    Translator().ClearTranslations();
    if (!name.empty()) Translator().LoadFromFile(ProgramFolder() + name);
    if (MainForm) MainForm->ApplyLanguageTexts();
  }
}

void TOptions::btnApplyClick() {
  SaveSettingsEnabled = true;
  PressedApply();
  btnOk->SetFocus();
  btnApply->SetEnabled(false);
}

void TOptions::btnOkClick() {
  if (btnApply->Enabled()) {
    PressedApply();
    SaveSettingsEnabled = true;
  }
  SetModalResult(mrOk);
}

void TOptions::btnSaveSettingsClick() {
  PressedApply();
  btnOk->SetFocus();
  btnApply->SetEnabled(false);
  btnSaveSettings->SetEnabled(false);
  SaveSettingsEnabled = false;
  WriteAllSettings();
}

void TOptions::tvOptionsChange() {
  if (TTreeNode node = tvOptions->Selected()) OptionsPages->SetActivePageIndex(static_cast<int>(tvOptions->Data(node)));
}

void TOptions::tvOptionsKeyDown(WORD& key, unsigned) {
  TTreeNode now = tvOptions->Selected();
  TTreeNode next = nullptr;
  if (key == VK_DOWN || key == VK_RIGHT) next = now ? tvOptions->GetNext(now) : nullptr;
  if (key == VK_UP || key == VK_LEFT) next = now ? tvOptions->GetPrev(now) : nullptr;
  if (key != VK_DOWN && key != VK_RIGHT && key != VK_UP && key != VK_LEFT) return;
  if (next) tvOptions->Select(next);
  key = 0;
}

void ShowOptionsDialog() {
  if (MainForm) MainForm->pnlSearch->Hide();
  {
    TOptions options;
    options.ShowModal();
  }
  EachVisiblePane([](TBrowserForm& pane) { pane.UpdateView(); });
}
