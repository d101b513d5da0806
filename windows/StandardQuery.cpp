#include "windows/StandardQuery.h"

#include "core/FileUtils.h"
#include "core/translator.h"

namespace {

const TUnitTexts queryTexts{
    {1200, "Copy files to"}, {1201, "OK"}, {1202, "Cancel"}, {1203, "&Browse"}, {1204, "Send to Bas&ket"},
};

constexpr int TextCopyFilesTo = 1200;
constexpr int TextSendToBasket = 1204;

}  // namespace

TStandardQuery::TStandardQuery(HWND mainWindow) : TForm(nullptr, TFormBorder::Dialog), mainWindow_(mainWindow) {
  SetClientSize(355, 96);
  KeyPreview = true;
  lblInfo = new TLabel(this);
  lblInfo->SetBounds(8, 8, 0, 0);
  edInfo = new TEdit(this);
  edInfo->SetBounds(12, 32, 330, 21);
  cbForSelectFiles = new TComboBox(this);
  cbForSelectFiles->SetBounds(12, 32, 330, 21);
  cbForSelectFiles->Hide();
  chkSend = new TCheckBox(this);
  chkSend->SetBounds(11, 60, 214, 17);
  chkSend->Hide();
  chkSend->OnClick = [this] { chkSendClick(); };
  // Made before OK and Cancel, so that Tab meets the buttons from the left.
  btnBrowse = new TButton(this);
  btnBrowse->SetBounds(115, 64, 75, 25);
  btnBrowse->Hide();
  btnBrowse->OnClick = [this] { btnBrowseClick(); };
  btnOK = new TButton(this);
  btnOK->SetBounds(195, 64, 75, 25);
  btnOK->SetDefault(true);
  btnOK->ModalResult = mrOk;
  btnCancel = new TButton(this);
  btnCancel->SetBounds(275, 64, 75, 25);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  Texts.Add(btnOK, 1201);
  Texts.Add(btnCancel, 1202);
  Texts.Add(btnBrowse, 1203);
  OnShow = [this] { FormShow(); };
  OnKeyDown = [this](WORD& key, unsigned shift) { FormKeyDown(key, shift); };
  FormCreate();
}

// The question and the check box are the caller's to word before showing;
// they only get their first texts here, not again at each show.
void TStandardQuery::FormCreate() {
  ApplyTexts();
  lblInfo->SetCaption(Tx(TextCopyFilesTo));
  chkSend->SetCaption(Tx(TextSendToBasket));
}

// Centred on the main window even when that is the smaller one.
void TStandardQuery::FormShow() {
  if (mainWindow_ || Application().MainForm) CentreOn(mainWindow_);
}

// Enter on a focused button presses that button, as a user expects of a
// dialog; anywhere else it confirms.
void TStandardQuery::FormKeyDown(WORD& key, unsigned) {
  if (key == VK_RETURN) {
    auto* focused = dynamic_cast<TButton*>(FromHandle(GetFocus()));
    if (focused) {
      focused->Click();
    } else {
      SetModalResult(mrOk);
    }
    key = 0;
  } else if (key == VK_ESCAPE) {
    SetModalResult(mrCancel);
    key = 0;
  }
}

void TStandardQuery::btnBrowseClick() {
  std::string path;
  BrowseForFolder(hwnd_, Caption(), path);
  if (path.empty()) return;
  edInfo->SetText(path);
  btnOK->Click();
}

void TStandardQuery::chkSendClick() { edInfo->SetEnabled(!chkSend->Checked()); }

bool AskForMask(const std::string& question, TOrv_RingList& ring, std::string& mask) {
  TStandardQuery query;
  query.SetCaption(question);
  query.lblInfo->SetCaption(question);
  query.edInfo->Hide();
  query.cbForSelectFiles->Show();
  TStringList items;
  ring.GetItems(items);
  for (const std::string& item : items) query.cbForSelectFiles->Items.Add(item);
  query.cbForSelectFiles->SetText(items.Count() > 0 ? items[0] : "*.*");
  query.ActiveControl = query.cbForSelectFiles;
  if (query.ShowModal() != mrOk) return false;
  mask = query.cbForSelectFiles->Text();
  if (mask.empty()) return false;
  ring.AddText(mask);
  return true;
}
