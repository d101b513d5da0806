#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/OrvComboBox.h"
#include "framework/Forms.h"

namespace {

std::string TempIni() {
  char dir[MAX_PATH], name[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  GetTempFileNameA(dir, "kvc", 0, name);
  return name;
}

TEST(OrvComboBox, EnterAndExitAddTypedTextsOnly) {
  TForm form;
  auto* combo = new TOrvComboBox(&form);
  auto* other = new TEdit(&form);
  other->SetTop(40);
  form.Show();
  struct {
    const char* typed;
    std::vector<std::string> want;
  } const steps[] = {
      {"", {}},
      {"*.txt", {"*.txt"}},
      {"*.doc", {"*.doc", "*.txt"}},
      {"*.txt", {"*.txt", "*.doc"}},
      {"*.txt", {"*.txt", "*.doc"}},
  };
  for (const auto& s : steps) {
    combo->SetText(s.typed);
    combo->SetFocus();
    other->SetFocus();
    EXPECT_EQ(combo->Items.ToVector(), s.want) << s.typed;
    EXPECT_EQ(combo->Text(), s.typed);
  }
  EXPECT_EQ(combo->DropDownCount(), 9);
}

TEST(OrvComboBox, KeepsNineNewestAndRoundTripsThroughSettings) {
  const std::string path = TempIni();
  TForm form;
  auto* combo = new TOrvComboBox(&form);
  for (int i = 1; i <= 12; ++i) {
    combo->SetText("text" + std::to_string(i));
    combo->AddToHistory();
  }
  std::vector<std::string> want;
  for (int i = 12; i >= 4; --i) want.push_back("text" + std::to_string(i));
  EXPECT_EQ(combo->Items.ToVector(), want);
  {
    TIniFile ini(path);
    combo->SaveHistory(ini, "Finder", "MASK_FINDER");
  }
  auto* loaded = new TOrvComboBox(&form);
  TIniFile ini(path);
  loaded->LoadHistory(ini, "Finder", "MASK_FINDER");
  EXPECT_EQ(loaded->Items.ToVector(), want);
  DeleteFileA(path.c_str());
}

}  // namespace
