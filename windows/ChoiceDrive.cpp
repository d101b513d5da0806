#include "windows/ChoiceDrive.h"

#include "core/translator.h"

namespace {

const TUnitTexts choiceTexts{
    {1500, "ERROR!"}, {1501, "Drive not found!"}, {1502, "Please choose another:"}, {1503, "Cancel"}, {1504, "OK"},
};

}  // namespace

TChoiceDrive::TChoiceDrive(const TDriveList& drives) : TForm(nullptr, TFormBorder::Dialog), drives_(drives) {
  SetClientSize(245, 102);
  KeyPreview = true;
  Label1 = new TLabel(this);
  Label1->SetBounds(8, 8, 0, 0);
  Label2 = new TLabel(this);
  Label2->SetBounds(8, 26, 0, 0);
  cmbDrives = new TComboBox(this, TComboStyle::DropDownList);
  cmbDrives->SetBounds(8, 44, 229, 21);
  btnOk = new TButton(this);
  btnOk->SetBounds(78, 72, 75, 25);
  btnOk->SetDefault(true);
  btnOk->ModalResult = mrOk;
  btnCancel = new TButton(this);
  btnCancel->SetBounds(162, 72, 75, 25);
  btnCancel->ModalResult = mrCancel;
  ActiveControl = cmbDrives;
  Texts.Add(this, 1500);
  Texts.Add(Label1, 1501);
  Texts.Add(Label2, 1502);
  Texts.Add(btnCancel, 1503);
  Texts.Add(btnOk, 1504);
  OnKeyDown = [this](WORD& key, unsigned shift) { FormKeyDown(key, shift); };
  FormCreate();
}

void TChoiceDrive::FormCreate() {
  cmbDrives->Items.Clear();
  for (const auto& d : drives_) cmbDrives->Items.Add(std::string("[-") + d->Letter + "-]");
  ApplyTexts();
}

void TChoiceDrive::FormKeyDown(WORD& key, unsigned) {
  if (key != VK_ESCAPE) return;
  SetModalResult(mrCancel);
  key = 0;
}
