#include <gtest/gtest.h>

#include "core/translator.h"
#include "windows/ChoiceDrive.h"
#include "support/TextFit.h"

namespace {

TDriveList SomeDrives() {
  TDriveList list;
  for (char letter : {'c', 'd', 'r', '\\', '*'}) {
    auto d = std::make_unique<TDriveRecord>();
    d->Letter = letter;
    list.push_back(std::move(d));
  }
  return list;
}

TEST(ChoiceDrive, ItemsFollowTheDriveList) {
  const TDriveList drives = SomeDrives();
  TChoiceDrive dlg(drives);
  const char* want[] = {"[-c-]", "[-d-]", "[-r-]", "[-\\-]", "[-*-]"};
  ASSERT_EQ(dlg.cmbDrives->Items.Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(dlg.cmbDrives->Items[i], want[i]);
  EXPECT_EQ(dlg.Caption(), "ERROR!");
  EXPECT_EQ(dlg.Label2->Caption(), "Please choose another:");
  EXPECT_EQ(dlg.ClientWidth(), 245);
  EXPECT_EQ(dlg.ClientHeight(), 102);
}

TEST(ChoiceDrive, EscAndCancelAgreeEnterChoosesOk) {
  const TDriveList drives = SomeDrives();
  enum class TAct { Esc, CancelButton, Enter };
  const struct {
    TAct act;
    int want;
  } cases[] = {{TAct::Esc, mrCancel}, {TAct::CancelButton, mrCancel}, {TAct::Enter, mrOk}};
  for (const auto& c : cases) {
    TChoiceDrive dlg(drives);
    dlg.cmbDrives->SetItemIndex(3);
    dlg.OnShow = [&] {
      HWND combo = dlg.cmbDrives->Handle();
      if (c.act == TAct::CancelButton) {
        PostMessageA(dlg.btnCancel->Handle(), BM_CLICK, 0, 0);
      } else {
        PostMessageA(combo, WM_KEYDOWN, c.act == TAct::Esc ? VK_ESCAPE : VK_RETURN, 1);
      }
    };
    EXPECT_EQ(dlg.ShowModal(), c.want);
    EXPECT_EQ(dlg.cmbDrives->ItemIndex(), 3);
  }
}

TEST(ChoiceDrive, TranslationsReachTheDialogWhenShownAndOnALanguageChange) {
  const TDriveList drives = SomeDrives();
  TChoiceDrive dlg(drives);
  Translator().SetTranslation(1500, "FEHLER!");
  dlg.Show();
  EXPECT_EQ(dlg.Caption(), "FEHLER!");
  Translator().SetTranslation(1503, "Abbrechen");
  Application().LanguageChanged();
  EXPECT_EQ(dlg.btnCancel->Caption(), "Abbrechen");
  Translator().ClearTranslations();
  Application().LanguageChanged();
  EXPECT_EQ(dlg.btnCancel->Caption(), "Cancel");
  ExpectTextsFit(dlg, "the drive choice");
  dlg.Hide();
}

}  // namespace
