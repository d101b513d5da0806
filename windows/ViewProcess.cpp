#include "windows/ViewProcess.h"

#include "core/Formats.h"
#include "core/translator.h"

namespace {

const TUnitTexts processTexts{{1300, "From"}, {1301, "To"}, {1302, "Cancel"}};

constexpr int kWidth = 430, kLineLeft = 12, kLineWidth = 406;

}  // namespace

TViewProcess::TViewProcess(TCopyConfirmationForm* confirmation)
    : TForm(nullptr, TFormBorder::Dialog), confirmation_(confirmation) {
  SetClientSize(kWidth, 150);
  KeyPreview = true;
  lblOperation = new TLabel(this);
  lblOperation->SetBounds(kLineLeft, 8, 0, 0);
  TFont bold = lblOperation->Font();
  bold.Bold = true;
  lblOperation->SetFont(bold);
  lblCurrentFile = new TLabel(this);
  lblCurrentFile->AutoSize = false;
  lblCurrentFile->SetBounds(kLineLeft, 28, kLineWidth, 16);
  lblCopyTo = new TLabel(this);
  lblCopyTo->AutoSize = false;
  lblCopyTo->SetBounds(kLineLeft, 48, kLineWidth, 16);
  gCurrent = new TProgressBar(this);
  gCurrent->SetBounds(kLineLeft, 70, kLineWidth, 16);
  gProgress = new TProgressBar(this);
  gProgress->SetBounds(kLineLeft, 92, kLineWidth, 16);
  btnCancel = new TButton(this);
  btnCancel->SetBounds((kWidth - 75) / 2, 116, 75, 25);
  btnCancel->OnClick = [this] { btnCancelClick(); };
  Texts.Add(lblCurrentFile, 1300);
  Texts.Add(lblCopyTo, 1301);
  Texts.Add(btnCancel, 1302);
  OnShow = [this] {
    if (Thread) Thread->ViewShown();
  };
  OnKeyDown = [this](WORD& key, unsigned shift) { FormKeyDown(key, shift); };
  FormCreate();
}

void TViewProcess::FormCreate() { ApplyTexts(); }

void TViewProcess::HideTargetLine() {
  const int shrink = gCurrent->Top() - lblCopyTo->Top() + gProgress->Top() - gCurrent->Top();
  lblCopyTo->Hide();
  gCurrent->Hide();
  gProgress->SetBounds(kLineLeft, lblCopyTo->Top(), kLineWidth, gProgress->Height());
  btnCancel->SetBounds(btnCancel->Left(), btnCancel->Top() - shrink, btnCancel->Width(), btnCancel->Height());
  SetClientSize(ClientWidth(), ClientHeight() - shrink);
}

void TViewProcess::StopThread() {
  if (stopping_) return;
  stopping_ = true;
  if (Thread) Thread->StopAndWait();
  ToolBusy = 0;
}

void TViewProcess::btnCancelClick() {
  StopThread();
  Close();
}

void TViewProcess::FormKeyDown(WORD& key, unsigned) {
  if (key != VK_ESCAPE) return;
  key = 0;
  btnCancelClick();
}

LRESULT TViewProcess::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SYSCOMMAND) {
    switch (wp & 0xFFF0) {
      case SC_CLOSE:
        // The user's close stops the thread; the thread's own close comes
        // after its end, and either one ends the modal run once.
        StopThread();
        if (Modal()) Close();
        return 0;
      case SC_MINIMIZE:
        if (Application().Minimize()) return 0;
        break;
    }
  }
  return TForm::WndProc(msg, wp, lp);
}

int TViewProcess::Ask(const TOperationQuestion& question) {
  confirmation_->AnchorLeft = Left();
  confirmation_->AnchorWidth = Width();
  confirmation_->AnchorTop = Top() + Height() + 10;
  return confirmation_->Ask(question);
}

void TViewProcess::ShowMessage(const std::string& text, const std::string& caption, UINT icon) {
  MessageBoxA(hwnd_, text.c_str(), caption.c_str(), MB_OK | icon);
}

std::string TViewProcess::FittedLine(const std::string& prefix, const std::string& path) const {
  int prefixWidth = 0, h = 0;
  GetTextSize(lblCurrentFile->Font().Handle(), prefix, prefixWidth, h);
  TWindowDC dc;
  TSelectObject selected(dc.Get(), lblCurrentFile->Font().Handle());
  std::string shortened, line;
  ShortenPathToWidth(path, dc.Get(), kLineWidth - prefixWidth, shortened);
  FitTextToWidth(lblCurrentFile->Font().Handle(), prefix + shortened, kLineWidth, line);
  return line;
}

void TViewProcess::ShowNames(const std::string& fromPrefix, const std::string& from,
                             const std::string& toPrefix, const std::string& to) {
  lblCurrentFile->SetCaption(FittedLine(fromPrefix, from));
  if (lblCopyTo->Visible()) lblCopyTo->SetCaption(to.empty() ? "" : FittedLine(toPrefix, to));
}

void TViewProcess::ShowProgress(int overall, int current) {
  // A gauge repaints only when its value changed.
  if (gProgress->Position() != overall) gProgress->SetPosition(overall);
  if (gCurrent->Visible() && gCurrent->Position() != current) gCurrent->SetPosition(current);
}
