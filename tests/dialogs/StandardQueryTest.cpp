#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows/StandardQuery.h"
#include "support/TextFit.h"

namespace {

void PostKey(HWND target, WORD vk) {
  PostMessageA(target, WM_KEYDOWN, vk, 1);
  PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

enum class TFocus { Edit, Combo, Ok, Cancel };

struct TKeyCase {
  const char* name;
  TFocus focus;
  WORD key;
  int want;
};

TWinControl* FocusOf(TStandardQuery& q, TFocus f) {
  switch (f) {
    case TFocus::Combo:
      return q.cbForSelectFiles;
    case TFocus::Ok:
      return q.btnOK;
    case TFocus::Cancel:
      return q.btnCancel;
    default:
      return q.edInfo;
  }
}

TEST(StandardQuery, EnterAndEscEndTheDialog) {
  static const TKeyCase cases[] = {
      {"Enter in the edit confirms", TFocus::Edit, VK_RETURN, mrOk},
      {"Enter in the combo confirms", TFocus::Combo, VK_RETURN, mrOk},
      {"Enter on OK confirms", TFocus::Ok, VK_RETURN, mrOk},
      {"Enter on a focused Cancel cancels", TFocus::Cancel, VK_RETURN, mrCancel},
      {"Esc in the edit cancels", TFocus::Edit, VK_ESCAPE, mrCancel},
      {"Esc on OK cancels", TFocus::Ok, VK_ESCAPE, mrCancel},
  };
  for (const auto& c : cases) {
    TStandardQuery q;
    if (c.focus == TFocus::Combo) {
      q.edInfo->Hide();
      q.cbForSelectFiles->Show();
    }
    q.ActiveControl = FocusOf(q, c.focus);
    HWND target = q.ActiveControl->Handle();
    if (c.focus == TFocus::Combo) target = GetWindow(target, GW_CHILD);  // its edit has the focus
    q.OnShow = [&] { PostKey(target, c.key); };
    EXPECT_EQ(q.ShowModal(), c.want) << c.name;
  }
}

TEST(StandardQuery, TextsAndLayout) {
  TStandardQuery q;
  EXPECT_EQ(q.ClientWidth(), 355);
  EXPECT_EQ(q.ClientHeight(), 96);
  EXPECT_EQ(q.lblInfo->Caption(), "Copy files to");
  EXPECT_EQ(q.btnBrowse->Caption(), "&Browse");
  EXPECT_EQ(q.chkSend->Caption(), "Send to Bas&ket");
  EXPECT_FALSE(q.btnBrowse->Visible());
  EXPECT_FALSE(q.chkSend->Visible());
  EXPECT_EQ(q.btnOK->Left(), 195);
  EXPECT_EQ(q.btnCancel->Left(), 275);
  q.Show();
  ExpectTextsFit(q, "the question");
  q.Hide();
}

TEST(StandardQuery, SendToBasketGreysTheTarget) {
  TStandardQuery q;
  q.chkSend->Show();
  const bool ticks[] = {true, false, true, false};
  for (bool tick : ticks) {
    SendMessageA(q.chkSend->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(q.chkSend->Checked(), tick);
    EXPECT_EQ(q.edInfo->Enabled(), !tick);
    EXPECT_EQ(IsWindowEnabled(q.edInfo->Handle()) != 0, !tick);
  }
}

TEST(StandardQuery, CentredOverTheMainWindowEvenWhenSmaller) {
  struct {
    RECT main;
  } const cases[] = {{{100, 100, 900, 700}}, {{300, 300, 400, 350}}};
  for (const auto& c : cases) {
    TForm mainForm;
    mainForm.SetBounds(c.main.left, c.main.top, c.main.right - c.main.left, c.main.bottom - c.main.top);
    mainForm.Show();
    TStandardQuery q(mainForm.Handle());
    q.OnShow = [&] {
      q.FormShow();
      PostKey(q.edInfo->Handle(), VK_ESCAPE);
    };
    q.ShowModal();
    RECT m, d;
    GetWindowRect(mainForm.Handle(), &m);
    GetWindowRect(q.Handle(), &d);
    EXPECT_LE(std::abs((d.left - m.left) - (m.right - d.right)), 1);
    EXPECT_LE(std::abs((d.top - m.top) - (m.bottom - d.bottom)), 1);
  }
}

// Cancels the folder browser as soon as it shows over the dialog.
BOOL CALLBACK CancelBrowser(HWND w, LPARAM owner) {
  char cls[32];
  GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && GetWindow(w, GW_OWNER) == reinterpret_cast<HWND>(owner) &&
      IsWindowVisible(w)) {
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}

TEST(StandardQuery, CancelledBrowseLeavesTheDialogOpen) {
  struct {
    const char* name;
    bool viaEnter;
  } const cases[] = {{"Browse clicked", false}, {"Enter on a focused Browse", true}};
  for (const auto& c : cases) {
    TStandardQuery q;
    q.btnBrowse->Show();
    q.edInfo->SetText("C:\\target\\");
    int browses = 0;
    TTimer watch;
    watch.Interval = 50;
    watch.OnTimer = [&] { EnumThreadWindows(GetCurrentThreadId(), &CancelBrowser, reinterpret_cast<LPARAM>(q.Handle())); };
    q.ActiveControl = q.btnBrowse;
    q.OnShow = [&] {
      watch.SetEnabled(true);
      if (c.viaEnter) {
        PostKey(q.btnBrowse->Handle(), VK_RETURN);
      } else {
        PostMessageA(q.btnBrowse->Handle(), BM_CLICK, 0, 0);
      }
    };
    auto browse = q.btnBrowse->OnClick;
    q.btnBrowse->OnClick = [&] {
      ++browses;
      browse();
      // Back from the browser with nothing chosen: still open, then leave.
      EXPECT_EQ(q.ModalResult(), mrNone);
      PostKey(q.edInfo->Handle(), VK_ESCAPE);
    };
    EXPECT_EQ(q.ShowModal(), mrCancel) << c.name;
    EXPECT_EQ(browses, 1) << c.name;
    EXPECT_EQ(q.edInfo->Text(), "C:\\target\\") << c.name;
  }
}

}  // namespace
