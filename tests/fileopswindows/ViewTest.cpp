#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Lists.h"
#include "OpsHarness.h"
#include "core/translator.h"
#include "support/TextFit.h"
#include "support/MessagePump.h"
#include "support/Screenshot.h"
#include "support/TempFolder.h"
#include "support/WindowTour.h"
#include "windows/SelectionWalk.h"
#include "windows/StartOperation.h"
#include "windows/ViewProcess.h"

namespace {

void PostKey(HWND target, WORD vk) {
  PostMessageA(target, WM_KEYDOWN, vk, 1);
  PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

std::string Visible(TCopyConfirmationForm& d) {
  std::string s;
  for (TPylBitBtn* b : {d.btnYes, d.btnYesToAll, d.btnYesAllOlder, d.btnNo, d.btnNoToAll, d.btnCancel,
                        d.btnAutorename, d.btnAutorenameAll})
    if (b->Visible()) {
      if (!s.empty()) s += '|';
      s += b->Caption();
    }
  return s;
}

int Rows(TCopyConfirmationForm& d) {
  std::vector<int> tops;
  for (TPylBitBtn* b : {d.btnYes, d.btnYesToAll, d.btnYesAllOlder, d.btnNo, d.btnNoToAll, d.btnCancel,
                        d.btnAutorename, d.btnAutorenameAll})
    if (b->Visible() && std::find(tops.begin(), tops.end(), b->Top()) == tops.end()) tops.push_back(b->Top());
  return int(tops.size());
}

class OperationWindows : public testing::Test {
 protected:
  void SetUp() override {
    Translator();
    RegisterSharedTexts();
    GeneralCheckContainer = OptShowHidden;
    Application();
  }
};

// Every question kind over the progress window, with its caption, buttons
// in their rows, and Esc as Cancel.
TEST_F(OperationWindows, EveryQuestionKind) {
  struct TCase {
    const char* shot;
    TOperationQuestion q;
    const char* caption;
    const char* buttons;
    int rows;
  };
  const std::string longPath = "C:\\" + std::string(60, 'a') + "\\" + std::string(400, 'b') + "\\c.txt";
  const TCase cases[] = {
      {"fileops_overwrite.bmp",
       {qkTargetExists, 0, 2, "", "C:\\target\\a.txt", "   12 bytes, 01.02.2020 10:00", longPath, "   3 bytes, x"},
       "Overwrite confirmation",
       "&Yes|Y&es to all|Yes all o&lder|&No|N&o to all|&Cancel|&Autorename|Auto&rename all", 3},
      {"fileops_error.bmp", {qkError, 4, 5, "Error file copy 4", "C:\\x\\a.txt", "Access is denied.", "", ""},
       "Error file copy 4", "&Retry|&Skip|&Abort", 1},
      {"fileops_attribute.bmp",
       {qkAttribute, 0, 1, "", "C:\\x\\a.txt", "is READ ONLY!", "", "", true},
       "Warning!", "&Yes|Y&es to all|&No|N&o to all|&Cancel", 2},
      {"fileops_mkdir.bmp", {qkCannotCreate, 5, 183, "", "C:\\x\\d", "Cannot create a file when that file already exists.", "", ""},
       "Error on creating directory", "&Yes|&No", 1},
      {"fileops_notempty.bmp", {qkNotEmpty, 0, 0, "", "C:\\x\\d", "", "", ""}, "Warning!",
       "&Yes|Y&es to all|&No|N&o to all|&Cancel", 2},
  };
  TCopyConfirmationForm dialog;
  TViewProcess view(&dialog);
  view.SetCaption("Kelvanto");
  view.lblOperation->SetCaption("Copy");
  view.Show();
  view.ShowNames("From:  ", "C:\\x\\a.txt", "To:  ", "C:\\target\\a.txt");
  view.ShowProgress(40, 70);
  ExpectTextsFit(view, "the progress window");
  for (const TCase& c : cases) {
    std::thread shooter;
    dialog.OnShow = [&] {
      dialog.FormShow();
      EXPECT_EQ(dialog.Caption(), c.caption);
      EXPECT_EQ(Visible(dialog), c.buttons) << c.caption;
      EXPECT_EQ(Rows(dialog), c.rows) << c.caption;
      // Placed 10 pixels below the progress window, centred on it, never
      // wider than the screen.
      EXPECT_EQ(dialog.Top(), view.Top() + view.Height() + 10);
      EXPECT_NEAR(dialog.Left() + dialog.Width() / 2, view.Left() + view.Width() / 2, 1);
      EXPECT_LE(dialog.Width(), GetSystemMetrics(SM_CXSCREEN));
      EXPECT_TRUE(HasText(dialog.lblInformation->Caption(), c.q.Kind == qkNotEmpty ? "is not empty" : "a"));
      EXPECT_TRUE(TextsFit(dialog, c.caption));
      // Shown and painted only after OnShow.
      shooter = std::thread([&] {
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(dialog.Handle()) != FALSE; }));
        EXPECT_TRUE(SaveWindowShot(dialog.Handle(), c.shot));
        PostKey(dialog.btnYes->Handle(), VK_ESCAPE);
      });
    };
    EXPECT_EQ(view.Ask(c.q), qrCancel) << c.caption;
    shooter.join();
  }
  view.Hide();
}

// A copy slowed down per chunk shows its progress window; Esc twice and the
// thread's own close end it once, leave no partial file and no thread.
TEST_F(OperationWindows, ProgressWindowStopsOnceAndLeavesNothingHalfDone) {
  TTempFolder src, dst;
  src.File("big.bin", 365000 * 40);
  TTestList l;
  l.ReadDir(src.Path(), {"big.bin"});
  const int threadsBefore = TThread::LiveCount();
  OperationsTesting::SetChunkDelay(50);
  std::atomic<bool> done{false};
  std::atomic<int> closes{0};
  testing::AssertionResult shot = testing::AssertionSuccess();
  std::thread driver([&] {
    HWND view = nullptr;
    PumpUntil([&] {
      HWND w = FindWindowA(nullptr, "Kelvanto copy test");
      if (w && IsWindowVisible(w)) view = w;
      return view || done;
    });
    if (!view) return;
    shot = SaveWindowShot(view, "fileops_progress.bmp");
    PostKey(view, VK_ESCAPE);
    PostKey(view, VK_ESCAPE);
    PostMessageA(view, WM_SYSCOMMAND, SC_CLOSE, 0);
    closes = 3;
  });
  ASSERT_TRUE(BeginWalkOver(l.List(), src.Path(), CheckSelected, nullptr, nullptr));
  Application().Title = "Kelvanto copy test";
  const DWORD start = GetTickCount();
  StartFileOperation(dst.Path() + "\\", opCopy);
  const DWORD took = GetTickCount() - start;
  EndListOperation();
  done = true;
  driver.join();
  OperationsTesting::SetChunkDelay(0);
  EXPECT_EQ(closes, 3);
  EXPECT_TRUE(shot);
  EXPECT_LT(took, 2000u);
  EXPECT_EQ(TreeNames(dst.Path()), "");
  EXPECT_EQ(ToolBusy, 0u);
  EXPECT_EQ(TThread::LiveCount(), threadsBefore);
  EXPECT_EQ(FindWindowA(nullptr, "Kelvanto copy test"), nullptr);
}

// The question of an existing target, over the live progress window.
TEST_F(OperationWindows, AQuestionOverTheProgressWindow) {
  TTempFolder src, dst;
  WriteTestFile(src / "a.txt", "new");
  WriteTestFile(dst / "a.txt", "old");
  GeneralCheckContainer = OptShowHidden | OptConfirmOverwrite;
  TTestList l;
  l.ReadDir(src.Path(), {"a.txt"});
  std::atomic<bool> done{false}, answered{false};
  std::thread driver([&] {
    for (int i = 0; i < 500 && !done; ++i, Sleep(10)) {
      HWND q = FindWindowA(nullptr, "Overwrite confirmation");
      if (!q || !IsWindowVisible(q)) continue;
      Sleep(200);
      EXPECT_TRUE(SaveWindowShot(GetDesktopWindow(), "fileops_question_over_progress.bmp"));
      HWND yes = nullptr;
      EnumChildWindows(
          q,
          [](HWND w, LPARAM p) -> BOOL {
            char text[32] = "";
            GetWindowTextA(w, text, sizeof text);
            if (std::string(text) != "&Yes") return TRUE;
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
          },
          LPARAM(&yes));
      if (yes) PostMessageA(yes, BM_CLICK, 0, 0);
      answered = yes != nullptr;
      break;
    }
  });
  ASSERT_TRUE(BeginWalkOver(l.List(), src.Path(), CheckSelected, nullptr, nullptr));
  Application().Title = "Kelvanto question test";
  StartFileOperation(dst.Path() + "\\", opCopy);
  EndListOperation();
  done = true;
  driver.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(ReadTestFile(dst / "a.txt"), "new");
}

// Two hundred operations in a row: no thread and no icon of ours left.
TEST_F(OperationWindows, ManyOperationsLeakNothing) {
  TTempFolder src, dst;
  WriteTestFile(src / "a.txt", "a");
  const int threadsBefore = TThread::LiveCount();
  HICON icon = nullptr;
  for (int i = 0; i < 200; ++i) {
    TTestList l;
    l.ReadDir(src.Path(), {"a.txt"});
    ASSERT_TRUE(BeginWalkOver(l.List(), src.Path(), CheckSelected, nullptr, nullptr));
    std::string target = dst / "c";
    target += std::to_string(i);
    target += ".txt";
    StartFileOperation(target, opCopy);
    EndListOperation();
  }
  {
    TCopyConfirmationForm dialog;
    icon = dialog.imgIcon->Icon();
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    TGdiObject colour(info.hbmColor), mask(info.hbmMask);
  }
  ICONINFO gone;
  EXPECT_FALSE(GetIconInfo(icon, &gone));
  EXPECT_EQ(dst.Names().size(), 200u);
  EXPECT_EQ(TThread::LiveCount(), threadsBefore);
}

// Each question kind by keys, its buttons met row by row, then the
// progress window, which Esc stops and closes.
TEST_F(OperationWindows, KeyboardTourOfTheQuestionsAndTheProgress) {
  const struct {
    int kind;
    TTourPlan plan;
  } rows[] = {
      {qkTargetExists,
       {{"Yes", "Yes to all", "Yes all older", "No", "No to all", "Cancel", "Autorename", "Autorename all"},
        "yelnocar", "Yes", "mrCancel"}},
      {qkError, {{"Retry", "Skip", "Abort"}, "rsa", "Retry", "mrCancel"}},
      {qkAttribute, {{"Yes", "No", "Cancel", "Yes to all", "No to all"}, "yenoc", "Yes", "mrCancel"}},
      {qkCannotCreate, {{"Yes", "No"}, "yn", "Yes", "mrCancel"}},
      {qkNotEmpty, {{"Yes", "No", "Cancel", "Yes to all", "No to all"}, "yenoc", "Yes", "mrCancel"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.kind);
    TCopyConfirmationForm dialog;
    dialog.QuestionKind = r.kind;
    dialog.FirstPath = dialog.SecondPath = "C:\\x\\a.txt";
    TourModal(dialog, r.plan);
  }
  TCopyConfirmationForm dialog;
  TViewProcess view(&dialog);
  view.Show();
  TourWindow(view.Handle(), {{"Cancel"}, "", "Cancel", ""});
  EXPECT_FALSE(view.Visible());
}

}  // namespace
