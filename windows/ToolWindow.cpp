#include "windows/ToolWindow.h"

#include <algorithm>

#include "core/Help.h"
#include "windows/SelectionWalk.h"
#include "windows/TabOrder.h"

namespace {
constexpr int kButtonGap = 10;
}

TToolWindow::TToolWindow(TWinControl* owner, const char* helpTopic)
    : TForm(owner, TFormBorder::None), helpTopic_(helpTopic) {
  pnlAlign = new TPanel(this);
  pnlAlign->SetAlign(TAlign::Top);
  pnlAlign->SetHeight(24);
  pnlAlign->BevelOuter = TBevelCut::None;
  pnlAlign->Hide();
  pnlNameTools = new TPanel(pnlAlign);
  pnlNameTools->SetAlign(TAlign::Client);
  pnlNameTools->BevelOuter = TBevelCut::Lowered;
  pnlNameTools->OnClick = [this] {
    if (TitleFocus && TitleFocus->CanFocus()) TitleFocus->SetFocus();
  };
  PaintTitle(false);
  OnFocusEnter = [this] {
    ActivePanel = this;
    PaintTitle(true);
  };
  OnFocusExit = [this] { PaintTitle(false); };
  pnlTool = new TPanel(this);
  pnlTool->SetAlign(TAlign::Bottom);
  pnlTool->SetHeight(34);
  pnlTool->BevelOuter = TBevelCut::None;
  pnlTool->OnResize = [this] { CentreButtons(); };
  btnStartOperation = new TPylBitBtn(pnlTool);
  btnStartOperation->SetBounds(0, 5, 130, 25);
  btnStartOperation->SetEnabled(false);
  HelpButton = new TPylBitBtn(pnlTool);
  HelpButton->SetBounds(0, 5, 90, 25);
  HelpButton->OnClick = [this] { OpenHelp(); };
}

void TToolWindow::VisibleChanged() {
  if (Visible()) PlaceInTabOrder(*pnlTool, HWND_BOTTOM);
  TForm::VisibleChanged();
}

void TToolWindow::PaintTitle(bool active) {
  TFont f = pnlNameTools->Font();
  f.Color = active ? clCaptionText : clInactiveCaptionText;
  pnlNameTools->SetFont(f);
  pnlNameTools->SetColor(active ? clActiveCaption : clInactiveCaption);
}

void TToolWindow::OpenHelp() {
  const std::string file = HelpFileName + helpTopic_;
  CallHtmlHelp(hwnd_, file.c_str(), HH_DISPLAY_TOPIC_COMMAND, 0);
}

TLabel* TToolWindow::CaptionStrip(TWinControl* parent) {
  auto* strip = new TPanel(parent);
  strip->SetAlign(TAlign::Top);
  strip->SetHeight(20);
  strip->BevelOuter = TBevelCut::None;
  auto* label = new TLabel(strip);
  label->SetBounds(2, 4, 0, 0);
  return label;
}

// Each button at least as wide as its caption needs, in any language.
void TToolWindow::CentreButtons() {
  btnStartOperation->SetWidth(std::max(130, btnStartOperation->FitWidth()));
  HelpButton->SetWidth(std::max(90, HelpButton->FitWidth()));
  const int left = (pnlTool->ClientRect().right - btnStartOperation->Width() - kButtonGap - HelpButton->Width()) / 2;
  btnStartOperation->SetLeft(left);
  HelpButton->SetLeft(left + btnStartOperation->Width() + kButtonGap);
}

TstateOfBrowser* ActiveSelectionList() {
  ISelectionPane* pane = SelectionHost ? SelectionHost->GetActivePane() : nullptr;
  if (!pane) return nullptr;
  return pane->DisplayMode() == PaneBasket ? &Basket : &pane->OwnList();
}
