#include "windows/DidYouKnow.h"

#include "controls/JustifiedText.h"
#include "core/FileUtils.h"
#include "core/translator.h"
#include "windows/Settings.h"

namespace {

const TUnitTexts tipTexts{
    {1600, "The Tip of The Day"}, {1601, "Did you know..."}, {1602, "Show this dialog box next time"},
    {1603, "&Close"},             {1604, "&Next tip"},       {1605, "&Previous tip"},
};

const char* const BuiltInTips[] = {
    "     You can switch to Replacer mode by pressing Ctrl+4",
    "     You can easy rename file in the browser grid by pressing Shift+F6",
    "     You can select all files by pressing Ctrl+Gray Plus",
};

}  // namespace

std::string TipFileName(const std::string& languageFileName) {
  return ProgramFolder() + languageFileName + ".tip";
}

TDidYouKnow::TDidYouKnow() : TForm(nullptr, TFormBorder::Dialog) {
  SetClientSize(355, 232);
  Label1 = new TLabel(this);
  Label1->SetBounds(16, 8, 0, 0);
  TFont big = Label1->Font();
  big.Size = 18;  // 24 pixels at 96 DPI
  big.Bold = true;
  Label1->SetFont(big);
  pnlKnowld = new TPanel(this);
  pnlKnowld->BevelOuter = TBevelCut::Lowered;
  pnlKnowld->SetColor(clWindow);
  pnlKnowld->SetBounds(16, 44, 323, 116);
  pb = new TPaintBox(pnlKnowld);
  pb->SetColor(clWindow);
  pb->SetBounds(2, 2, 319, 112);
  pb->OnPaint = [this](TCanvas& c) { pbPaint(c); };
  chkShowTip = new TCheckBox(this);
  chkShowTip->SetBounds(16, 168, 323, 20);
  btnPrevious = new TButton(this);
  btnPrevious->SetBounds(16, 198, 100, 25);
  btnPrevious->Tag = -1;
  btnPrevious->OnClick = [this] { btnNextClick(btnPrevious); };
  btnNext = new TButton(this);
  btnNext->SetBounds(124, 198, 100, 25);
  btnNext->Tag = 1;
  btnNext->OnClick = [this] { btnNextClick(btnNext); };
  Button1 = new TButton(this);
  Button1->SetBounds(264, 198, 75, 25);
  Button1->SetDefault(true);
  Button1->ModalResult = mrOk;
  ActiveControl = Button1;
  Texts.Add(this, 1600);
  Texts.Add(Label1, 1601);
  Texts.Add(chkShowTip, 1602);
  Texts.Add(Button1, 1603);
  Texts.Add(btnNext, 1604);
  Texts.Add(btnPrevious, 1605);
  OnShow = [this] { FormShow(); };
  OnHide = [this] { FormClose(); };
}

void TDidYouKnow::FormShow() {
  CentreOn();
  Tips.Clear();
  if (!Tips.LoadFromFile(TipFileName(Translator().LanguageFileName))) {
    Tips.Clear();
    for (const char* tip : BuiltInTips) Tips.Add(tip);
  }
  if (ShowTips != 0) {
    chkShowTip->SetChecked(true);
    chkShowTip->Tag = ShowTips;
  }
  SelectCurrentTip();
}

void TDidYouKnow::SelectCurrentTip() {
  if (Tips.Count() == 0) return;
  const auto count = static_cast<intptr_t>(Tips.Count());
  if (chkShowTip->Tag >= count) chkShowTip->Tag = 0;
  if (chkShowTip->Tag < 0) chkShowTip->Tag = count - 1;
  CurrentTip = Tips[static_cast<size_t>(chkShowTip->Tag)];
}

void TDidYouKnow::btnNextClick(TButton* sender) {
  chkShowTip->Tag += sender->Tag;
  SelectCurrentTip();
  pb->Invalidate();
}

// The next start continues with the tip after the one shown last.
void TDidYouKnow::FormClose() {
  ShowTips = chkShowTip->Checked() ? static_cast<int32_t>(chkShowTip->Tag + 1) : 0;
  CurrentTip.clear();
  Tips.Clear();
}

void TDidYouKnow::pbPaint(TCanvas& c) {
  c.SetBrushColor(pb->Color());
  c.FillRect(pb->ClientRect());
  SetBkMode(c.Handle(), TRANSPARENT);
  PaintJustifiedText(c, CurrentTip, pb->Width(), 0);
}
