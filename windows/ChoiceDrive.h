#pragma once
#include "core/Drives.h"
#include "framework/Forms.h"

// Asks for another drive when the one to open is not ready; the combo's item
// index is the chosen drive's index in the drive list.
class TChoiceDrive : public TForm {
 public:
  explicit TChoiceDrive(const TDriveList& drives = DriveList);

  TLabel* Label1;
  TLabel* Label2;
  TComboBox* cmbDrives;
  TButton* btnOk;
  TButton* btnCancel;

  void FormCreate();
  void FormKeyDown(WORD& key, unsigned shift);

 private:
  const TDriveList& drives_;
};
