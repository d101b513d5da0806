#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MainWindowTest.h"
#include "controls/JustifiedText.h"
#include "core/Drives.h"
#include "core/FileUtils.h"
#include "core/translator.h"
#include "support/Screenshot.h"
#include "support/TextFit.h"
#include "windows/DidYouKnow.h"
#include "windows/Settings.h"

namespace {

const std::string TipFile = ProgramFolder() + ".tip";

// The English tip file lies beside the test program for the test's run.
class Tips : public testing::Test {
 protected:
  void SetUp() override {
    Translator().LanguageFileName.clear();
    DeleteFileA(TipFile.c_str());
  }
  void TearDown() override {
    DeleteFileA(TipFile.c_str());
    JustifiedWordHook = nullptr;
  }
};

TEST_F(Tips, IndexWrapsAndTheNextStartContinuesAfterTheLastShown) {
  ASSERT_TRUE(WriteTestFile(TipFile, "first\r\nsecond\nthird\r\n"));
  struct TCase {
    int showTips;
    std::vector<int> clicks;  // +1 next, -1 previous
    bool untick;
    const char* shown;
    int stored;
  };
  const TCase cases[] = {
      {5, {}, false, "first", 1},       {1, {1}, false, "third", 3},  {3, {}, false, "first", 1},
      {0, {-1}, false, "third", 0},     {1, {-1, -1}, false, "third", 3}, {2, {1, 1}, true, "second", 0},
  };
  for (const TCase& c : cases) {
    ShowTips = c.showTips;
    TDidYouKnow tips;
    tips.Show();
    EXPECT_EQ(tips.chkShowTip->Checked(), c.showTips != 0);
    for (int step : c.clicks) PressKeys(tips.Handle(), step > 0 ? 'N' : 'P', {VK_MENU});  // "&Next tip", "&Previous tip"
    EXPECT_EQ(tips.CurrentTip, c.shown) << c.showTips;
    if (c.untick) tips.chkShowTip->SetChecked(false);
    tips.Hide();
    EXPECT_EQ(ShowTips, c.stored) << c.showTips;
    EXPECT_EQ(tips.Tips.Count(), 0u);
  }
}

TEST_F(Tips, BuiltInTipsWithoutAFileAndNothingForAnEmptyOne) {
  ShowTips = 1;
  {
    TDidYouKnow tips;
    tips.Show();
    EXPECT_EQ(tips.Caption(), "The Tip of The Day");
    EXPECT_EQ(tips.Label1->Caption(), "Did you know...");
    EXPECT_EQ(tips.chkShowTip->Caption(), "Show this dialog box next time");
    EXPECT_EQ(tips.Button1->Caption(), "&Close");
    EXPECT_EQ(tips.btnNext->Caption(), "&Next tip");
    EXPECT_EQ(tips.btnPrevious->Caption(), "&Previous tip");
    EXPECT_EQ(tips.CurrentTip, "     You can easy rename file in the browser grid by pressing Shift+F6");
    tips.btnNext->Click();
    EXPECT_EQ(tips.CurrentTip, "     You can select all files by pressing Ctrl+Gray Plus");
    tips.btnNext->Click();
    EXPECT_EQ(tips.CurrentTip, "     You can switch to Replacer mode by pressing Ctrl+4");
    tips.Hide();
  }
  ASSERT_TRUE(WriteTestFile(TipFile, ""));
  TDidYouKnow tips;
  tips.Show();
  tips.btnNext->Click();
  tips.btnPrevious->Click();
  EXPECT_EQ(tips.CurrentTip, "");
  tips.Hide();
}

TEST_F(Tips, EscClosesAndThePainterJustifiesBrokenLinesOnly) {
  const std::string tip =
      "Tg ab cdefgh ijk lmnop qrs tuvwx yz abc defghij klm nopq rstu vwxyz abcd efg hijklmn opq rst uvw";
  ASSERT_TRUE(WriteTestFile(TipFile, "Tg ab\r\n" + tip + "\r\n"));
  struct TWord {
    std::string text;
    int x, y;
  };
  std::vector<TWord> words;
  JustifiedWordHook = [&](const std::string& w, int x, int y) { words.push_back({w, x, y}); };
  TDidYouKnow tips;
  TTimer later;
  later.Interval = 300;
  later.OnTimer = [&] {
    later.SetEnabled(false);
    EXPECT_TRUE(SaveWindowShot(tips.Handle(), ShotPath("tips.bmp")));
    EXPECT_TRUE(TextsFit(tips, "the tip of the day"));
    PostMessageA(tips.Button1->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  };
  ShowTips = 1;  // the long tip
  later.SetEnabled(true);
  EXPECT_EQ(tips.ShowModal(), mrCancel);
  EXPECT_EQ(ShowTips, 2);  // still ticked: the one after the long tip
  ASSERT_FALSE(words.empty());

  // The measures the painter used: the paint box's font.
  const TFont font = tips.pb->Font();
  const int blank = ScreenTextExtent(font, " ").cx;
  const int usable = tips.pb->Width() - 28;
  auto right = [&](const TWord& w) { return w.x + ScreenTextExtent(font, w.text).cx; };
  // Every line but the last ends at the right margin, within the rounding
  // of the gaps.
  int lines = 0;
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i + 1].y == words[i].y) continue;
    ++lines;
    EXPECT_LE(right(words[i]), 12 + usable) << words[i].text;
    EXPECT_GE(right(words[i]), 12 + usable - 12) << words[i].text;
  }
  EXPECT_GE(lines, 1);

  // As drawn: words stand apart by at least a blank less a pixel of
  // smoothing, and a line that is not stretched keeps plain blanks.
  const char* const texts[] = {
      "Tg ab",
      "     You can switch to Replacer mode by pressing Ctrl+4",
      "     You can easy rename file in the browser grid by pressing Shift+F6",
      "     You can select all files by pressing Ctrl+Gray Plus",
      "     Vous pouvez renommer facilement un fichier dans la grille du navigateur en appuyant sur Maj+F6",
      "Welcome to the Kelvanto Setup program. This program will install Kelvanto on your computer. "
      "Click Next to continue or Cancel to quit from Setup program.",
  };
  const int height = ScreenTextExtent(font, "Tg").cy;
  for (const char* text : texts) {
    words.clear();
    TBitmap bmp(500, 130);
    bmp.Paint([&](TCanvas& c) {
      c.SetBrushColor(RGB(255, 255, 255));
      c.FillRect({0, 0, 500, 130});
      c.SetFont(font);
      PaintJustifiedText(c, text, tips.pb->Width(), 22);
      auto clear = [&](int x, int y) {
        for (int dy = 0; dy < height; ++dy)
          if (c.Pixel(x, y + dy) != RGB(255, 255, 255)) return false;
        return true;
      };
      for (size_t i = 0; i + 1 < words.size(); ++i) {
        const TWord &a = words[i], &b = words[i + 1];
        if (a.y != b.y) continue;
        int run = 0, widest = 0;
        for (int x = right(a) - 2; x <= b.x; ++x) {
          run = clear(x, a.y) ? run + 1 : 0;
          widest = std::max(widest, run);
        }
        EXPECT_GE(widest, blank - 1) << a.text << "|" << b.text << " in " << text;
      }
    });
    ASSERT_GE(words.size(), 2u) << text;
    if (text[0] != ' ') EXPECT_EQ(words[0].x, 12) << text;
    EXPECT_EQ(words[0].y, 22);
    for (size_t i = words.size() - 1; i > 0 && words[i - 1].y == words.back().y; --i)
      EXPECT_EQ(words[i].x, right(words[i - 1]) + blank) << words[i].text << " in " << text;
  }
}

TEST(About, TextsIconLinksAndTheirPages) {
  Translator().ClearTranslations();
  static std::vector<std::string> opened;
  opened.clear();
  const TWebPageOpener old = WebPageOpener;
  WebPageOpener = [](const std::string& address) { opened.push_back(address); };
  TfrmAbout about;
  EXPECT_EQ(frmAbout, &about);
  EXPECT_TRUE(about.Icon);
  about.Show();
  SetForegroundWindow(about.Handle());
  Pump(100);
  EXPECT_EQ(about.Caption(), "About");
  EXPECT_EQ(about.lblTechnSupp->Caption(), "FeedBack and Technical Support");
  EXPECT_EQ(about.lblContactUs->Caption(), "Contact us...");
  EXPECT_EQ(about.btnOk->Caption(), "OK");
  EXPECT_TRUE(SaveWindowShot(about.Handle(), ShotPath("about.bmp")));
  ExpectTextsFit(about, "the about box");
  auto at = [](TLabel* l) { return MAKELPARAM(l->Left() + 2, l->Top() + 2); };
  for (TLabel* link : {about.lblWebSite, about.lblTechnSupp, about.lblContactUs}) {
    PostMessageA(about.Handle(), WM_MOUSEMOVE, 0, at(link));
    Pump(30);
    EXPECT_EQ(link->Font().Color, LinkHotColor);
    PostMessageA(about.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(link));
    PostMessageA(about.Handle(), WM_LBUTTONUP, 0, at(link));
    PostMessageA(about.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(about.btnOk->Left() - 5, 5));
    Pump(30);
    EXPECT_EQ(link->Font().Color, LinkColor);
  }
  EXPECT_EQ(opened, (std::vector<std::string>{WebPageAddress(21), WebPageAddress(20), WebPageAddress(24)}));
  about.Hide();
  WebPageOpener = old;
}

}  // namespace
