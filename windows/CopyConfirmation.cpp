#include "windows/CopyConfirmation.h"

#include <algorithm>
#include <vector>

#include "core/Formats.h"
#include "core/SharedTexts.h"
#include "core/translator.h"
#include "windows/TabOrder.h"

namespace {

constexpr int kButtonWidth = 105, kButtonHeight = 25, kGap = 6, kMargin = 5;
constexpr int kIconLeft = 10, kTextLeft = 52;

int TextWidth(const TFont& font, const std::string& text) {
  int w = 0, h = 0;
  GetTextSize(font.Handle(), text, w, h);
  return w;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  lines.push_back(text.substr(from));
  return lines;
}

}  // namespace

TCopyConfirmationForm::TCopyConfirmationForm() : TForm(nullptr, TFormBorder::Dialog) {
  KeyPreview = true;
  lblVoid = new TLabel(this);
  lblVoid->AutoSize = false;
  lblVoid->SetBounds(0, 0, 10, 7);
  imgIcon = new TSystemIcon(this, IDI_QUESTION);
  imgIcon->SetBounds(kIconLeft, 12, imgIcon->Width(), imgIcon->Height());
  lblInformation = new TLabel(this);
  lblInformation->AutoSize = false;
  lblInformation->SetBounds(kTextLeft, 12, 100, 20);
  pnlButtons = new TPanel(this);
  pnlButtons->BevelOuter = TBevelCut::None;
  pnlButtons->ShowCaption = false;
  struct TButtonDef {
    TPylBitBtn** button;
    int result;
    int text;
  };
  const TButtonDef defs[] = {
      {&btnYes, qrYes, 73},           {&btnYesToAll, qrYesToAll, 74}, {&btnYesAllOlder, qrYesAllOlder, 75},
      {&btnNo, qrNo, 76},             {&btnNoToAll, qrNoToAll, 77},   {&btnCancel, qrCancel, 78},
      {&btnAutorename, qrAutorename, 79}, {&btnAutorenameAll, qrAutorenameAll, 80},
  };
  for (const TButtonDef& d : defs) {
    *d.button = new TPylBitBtn(pnlButtons);
    (*d.button)->ModalResult = d.result;
    (*d.button)->SetBounds(0, 0, kButtonWidth, kButtonHeight);
    Texts.Add(*d.button, d.text);
  }
  OnShow = [this] { FormShow(); };
  OnKeyDown = [this](WORD& key, unsigned shift) { FormKeyDown(key, shift); };
  FormCreate();
}

void TCopyConfirmationForm::FormCreate() { ApplyTexts(); }

int TCopyConfirmationForm::Ask(const TOperationQuestion& q) {
  QuestionKind = q.Kind;
  FirstPath = q.FirstPath;
  SecondPath = q.SecondPath;
  FirstDetail = q.FirstDetail;
  SecondDetail = q.SecondDetail;
  ErrorCaption = q.Caption;
  DeleteWording = q.DeleteWording;
  return ShowModal();
}

int TCopyConfirmationForm::MessageWidth() const {
  int width = GetSystemMetrics(SM_CXSCREEN);
  TForm* main = Application().MainForm;
  if (main && main->Handle() && !IsIconic(main->Handle())) width = main->ClientWidth();
  return width * 7 / 9;
}

void TCopyConfirmationForm::LayButtons(std::initializer_list<std::initializer_list<TPylBitBtn*>> rows) {
  for (TPylBitBtn* b : {btnYes, btnYesToAll, btnYesAllOlder, btnNo, btnNoToAll, btnCancel, btnAutorename,
                        btnAutorenameAll})
    b->Hide();
  size_t widest = 0;
  for (const auto& row : rows) widest = std::max(widest, row.size());
  const int panelWidth = int(widest) * kButtonWidth + (int(widest) - 1) * kGap;
  int top = 0;
  HWND before = HWND_TOP;  // Tab meets the buttons row by row
  for (const auto& row : rows) {
    const int rowWidth = int(row.size()) * kButtonWidth + (int(row.size()) - 1) * kGap;
    int left = (panelWidth - rowWidth) / 2;
    for (TPylBitBtn* b : row) {
      b->SetBounds(left, top, kButtonWidth, kButtonHeight);
      b->Show();
      PlaceInTabOrder(*b, before);
      before = b->Handle();
      left += kButtonWidth + kGap;
    }
    top += kButtonHeight + kGap;
  }
  pnlButtons->SetBounds(0, 0, panelWidth, top - kGap);
}

// Builds the question of its kind; the paths are shortened so that the
// dialog fits the main window, and no line is ever wider than the screen.
void TCopyConfirmationForm::FormShow() {
  const TFont& font = lblInformation->Font();
  const int width = MessageWidth();
  TWindowDC dc;
  TSelectObject selected(dc.Get(), font.Handle());
  auto shorten = [&](const std::string& path, const std::string& around) {
    std::string result;
    ShortenPathToWidth(path, dc.Get(), std::max(40, width - TextWidth(font, around)), result);
    return result;
  };
  TOperationQuestion q;
  q.Kind = QuestionKind;
  q.Caption = ErrorCaption;
  q.DeleteWording = DeleteWording;
  q.FirstDetail = FirstDetail;
  q.SecondDetail = SecondDetail;
  switch (QuestionKind) {
    case qkTargetExists:
      q.FirstPath = shorten(FirstPath, " Overwrite: w");
      q.SecondPath = shorten(SecondPath, " with file:  ?w");
      break;
    case qkError: q.FirstPath = shorten(FirstPath, "An error with file w"); break;
    case qkAttribute: q.FirstPath = shorten(FirstPath, "File w"); break;
    case qkCannotCreate: q.FirstPath = shorten(FirstPath, "Can't create the specified directory:w"); break;
    default: q.FirstPath = shorten(FirstPath, "The directory is not empty "); break;
  }
  imgIcon->SetIcon(QuestionKind == qkTargetExists ? IDI_QUESTION : IDI_WARNING);
  SetCaption(QuestionCaption(q));
  btnYes->SetCaption(Tx(QuestionKind == qkError ? TextRetry : TextYes));
  btnNo->SetCaption(Tx(QuestionKind == qkError ? TextSkip : TextNo));
  btnCancel->SetCaption(Tx(QuestionKind == qkError ? TextAbort : TextCancelButton));
  switch (QuestionKind) {
    case qkTargetExists:
      LayButtons({{btnYes, btnYesToAll, btnYesAllOlder}, {btnNo, btnNoToAll, btnCancel},
                  {btnAutorename, btnAutorenameAll}});
      break;
    case qkError: LayButtons({{btnYes, btnNo, btnCancel}}); break;
    case qkCannotCreate: LayButtons({{btnYes, btnNo}}); break;
    default: LayButtons({{btnYes, btnNo, btnCancel}, {btnYesToAll, btnNoToAll}}); break;
  }
  std::string message;
  int widest = 0, height = 0;
  const int screen = GetSystemMetrics(SM_CXSCREEN) - kTextLeft - 20;
  for (std::string line : Lines(QuestionMessage(q))) {
    int w = 0, h = 0;
    GetTextSize(font.Handle(), line.empty() ? " " : line, w, h);
    if (w > screen) {
      std::string fitted;
      FitTextToWidth(font.Handle(), line, screen, fitted);
      line = fitted;
      w = screen;
    }
    if (!message.empty()) message += "\r\n";
    message += line;
    widest = std::max(widest, w);
    height += h;
  }
  lblInformation->SetCaption(message);
  const int textTop = lblVoid->Height() + 5;
  lblInformation->SetBounds(kTextLeft, textTop, widest + 2, height);
  const int messageHeight = std::max(height, imgIcon->Height());
  const int clientWidth = std::max(kTextLeft + widest + kMargin, pnlButtons->Width() + 2 * kMargin + 10);
  const int clientHeight = textTop + messageHeight + 20 + pnlButtons->Height() + kMargin;
  SetClientSize(clientWidth, clientHeight);
  pnlButtons->SetBounds((clientWidth - pnlButtons->Width()) / 2,
                        clientHeight - kMargin - pnlButtons->Height(), pnlButtons->Width(),
                        pnlButtons->Height());
  const int left = AnchorWidth ? AnchorLeft + AnchorWidth / 2 - Width() / 2 : Left();
  SetBounds(std::max(0, left), AnchorTop ? AnchorTop : Top(), Width(), Height());
  ActiveControl = btnYes;
  // The delete wording belongs to one question only.
  DeleteWording = false;
}

void TCopyConfirmationForm::FormKeyDown(WORD& key, unsigned) {
  if (key == VK_ESCAPE) {
    SetModalResult(qrCancel);
    key = 0;
  }
}
