#include <gtest/gtest.h>

#include "support/BoxWatch.h"
#include "framework/Cursors.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"

namespace {

TEST(Dialogs, MessageBoxIsModalToTheFormAndGivesTheAnswer) {
  TForm form;
  auto* edit = new TEdit(&form);
  form.Show();
  SetActiveWindow(form.Handle());
  struct {
    HWND owner;
    WORD key;
    int want;
  } const cases[] = {{edit->Handle(), VK_RETURN, IDOK}, {nullptr, VK_ESCAPE, IDCANCEL}};
  for (const auto& c : cases) {
    TBoxWatch watch(c.key);
    EXPECT_EQ(ShowMessageBox(c.owner, "Some text", "Caption", MB_OKCANCEL | MB_ICONINFORMATION), c.want);
    ASSERT_EQ(watch.Boxes.size(), 1u);
    EXPECT_EQ(watch.Boxes[0].Caption, "Caption");
    EXPECT_EQ(watch.Boxes[0].Text, "Some text");
    EXPECT_TRUE(watch.Boxes[0].HasIcon);
    EXPECT_EQ(watch.Boxes[0].Owner, form.Handle()) << c.key;
    EXPECT_FALSE(watch.Boxes[0].OwnerEnabled) << c.key;
  }
  EXPECT_TRUE(IsWindowEnabled(form.Handle()));
}

TEST(Dialogs, HourglassScopesNestAndHoldAgainstThePointer) {
  TForm form;
  auto* panel = new TPanel(&form);
  form.Show();
  const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW), wait = LoadCursor(nullptr, IDC_WAIT);
  auto pointerMoves = [&] {
    SendMessageA(panel->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(panel->Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };
  SetCursor(arrow);
  {
    THourglassCursor outer;
    EXPECT_EQ(GetCursor(), wait);
    { THourglassCursor inner; }
    EXPECT_EQ(GetCursor(), wait);  // the inner end leaves the outer's hourglass
    pointerMoves();
    EXPECT_EQ(GetCursor(), wait);
  }
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_FALSE(THourglassCursor::Active());
}

}  // namespace
