#include <gtest/gtest.h>

#include <string>

#include "framework/Forms.h"

namespace {

// Focus moves between controls of nested containers; each container hears
// only of the moves that cross its border.
TEST(FocusTree, ContainersHearOfFocusCrossingTheirBorder) {
  TForm form;
  form.SetClientSize(400, 200);
  std::string log;
  auto watch = [&log](TWinControl* c, const std::string& name) {
    c->OnFocusEnter = [&log, name] { log += name + "+ "; };
    c->OnFocusExit = [&log, name] { log += name + "- "; };
  };
  auto* left = new TPanel(&form);
  left->SetBounds(0, 0, 200, 200);
  auto* a1 = new TEdit(left);
  auto* a2 = new TEdit(left);
  a2->SetTop(30);
  auto* right = new TPanel(&form);
  right->SetBounds(200, 0, 200, 200);
  auto* docked = new TForm(right, TFormBorder::None);
  docked->Show();
  auto* combo = new TComboBox(docked, TComboStyle::DropDownList);
  auto* b1 = new TEdit(docked);
  b1->SetTop(30);
  watch(left, "L");
  watch(a1, "a1");
  watch(a2, "a2");
  watch(right, "R");
  watch(docked, "D");
  watch(combo, "c");
  watch(b1, "b1");
  form.Show();
  a1->SetFocus();

  const struct {
    TWinControl* target;
    const char* want;
  } moves[] = {
      {a2, "a1- a2+ "},
      {combo, "a2- L- R+ D+ c+ "},
      {b1, "c- b1+ "},
      {a1, "b1- D- R- L+ a1+ "},
      {docked, "a1- L- R+ D+ "},
      {b1, "b1+ "},
  };
  for (const auto& m : moves) {
    log.clear();
    m.target->SetFocus();
    Application().ProcessMessages();
    EXPECT_EQ(log, m.want);
  }
  form.Hide();
}

}  // namespace
