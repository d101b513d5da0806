#include <gtest/gtest.h>

#include <string>

#include "framework/Forms.h"

namespace {

// Limits hold for a plain bounds change and for every kind of alignment, and
// the next aligned child starts where a limited one really ends.
TEST(Constraints, BoundsAndAlignmentKeepTheLimits) {
  TForm form;
  form.SetClientSize(600, 400);
  auto* top = new TPanel(&form);
  top->SetAlign(TAlign::Top);
  top->SetConstraints({0, 30, 0, 0});
  top->SetHeight(5);
  auto* left = new TPanel(&form);
  left->SetWidth(500);
  left->SetConstraints({0, 0, 200, 0});
  left->SetAlign(TAlign::Left);
  auto* rest = new TPanel(&form);
  rest->SetConstraints({0, 0, 0, 300});
  rest->SetAlign(TAlign::Client);
  EXPECT_EQ(top->Height(), 30);
  EXPECT_EQ(left->Width(), 200);
  EXPECT_EQ(left->Height(), 370);
  EXPECT_EQ(rest->Left(), 200);
  EXPECT_EQ(rest->Width(), 400);
  EXPECT_EQ(rest->Height(), 300);
  left->SetConstraints({});
  left->SetWidth(450);
  EXPECT_EQ(left->Width(), 450);
  EXPECT_EQ(rest->Left(), 450);
}

// With the layout held, new widths stay as set; one alignment follows the hold.
TEST(Constraints, HeldAlignmentRunsOnceAtTheEnd) {
  TForm form;
  form.SetClientSize(600, 400);
  auto* left = new TPanel(&form);
  left->SetAlign(TAlign::Left);
  auto* rest = new TPanel(&form);
  rest->SetAlign(TAlign::Client);
  form.DisableAlign();
  left->SetWidth(100);
  EXPECT_EQ(rest->Left(), 185);
  form.DisableAlign();
  left->SetWidth(120);
  form.EnableAlign();
  EXPECT_EQ(rest->Left(), 185);
  form.EnableAlign();
  EXPECT_EQ(rest->Left(), 120);
  EXPECT_EQ(rest->Width(), 480);
}

}  // namespace
