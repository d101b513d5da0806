// The viewer while its job runs: the stop question from every way of
// closing, a stray end message, and what many runs leave behind.
#include "ReplaceWindowsTest.h"

#include "core/translator.h"
#include "engines/PerformReplace.h"
#include "engines/ReplacerBase.h"
#include "support/BoxAnswers.h"
#include "support/Screenshot.h"
#include "support/WorkerHost.h"

namespace {

struct TSmallBlocks {
  explicit TSmallBlocks(uint32_t size) { ReplacerTesting::SetBlockSize(size); }
  ~TSmallBlocks() { ReplacerTesting::SetBlockSize(0); }
};

int GdiObjects() { return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)); }

}  // namespace

TEST_F(ReplaceWindows, ClosingWhileRunningAsksAndOnlyYesStops) {
  const std::string original(6 << 20, 'f');
  ASSERT_TRUE(WriteTestFile(data_ / "big.txt", original));
  ASSERT_TRUE(WriteTestFile(data_ / "later.txt", "f"));
  TSmallBlocks blocks(16);
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  r.memFind->SetText("f");
  r.mmReplace->SetText("g");
  pane_->Mark({"big.txt", "later.txt"});
  const std::string caption = form_->Caption();
  TBoxAnswers answers({{caption, IDNO}, {caption, IDNO}, {caption, IDNO}, {caption, IDYES}});
  int step = 0;
  bool stillRunning = true, strayIgnored = true;
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(
      *r.btnStartOperation, seen, {},
      [&](TViewRenReplacer& v) {
        HWND grid = v.sgInfo->Handle();
        stillRunning = stillRunning && !v.Finished;
        switch (step++) {
          case 0:
            // Esc goes where the keyboard sends it: to the focused window,
            // after each question too.
            PressKey(GetFocus(), VK_ESCAPE);
            return false;
          case 1:
            // Posted from outside during the run: it must tell no end.
            PostMessageA(v.Handle(), WM_OPERATIONDONE, 0, 0);
            return false;
          case 2:
            strayIgnored = !v.Finished && v.pnlFilesComment->Caption() != Tx(14) && v.pnlFilesComment->Caption() != Tx(152);
            PressKey(grid, VK_F4, ssAlt);
            return false;
          case 3:
            PostMessageA(v.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            return false;
          default:
            PressKey(GetFocus(), VK_ESCAPE);
            return true;
        }
      }));
  const auto shown = answers.Finish();
  ASSERT_EQ(shown.size(), 4u);
  for (const auto& s : shown) EXPECT_EQ(s.second, "Abort operation?");
  EXPECT_TRUE(stillRunning);
  EXPECT_TRUE(strayIgnored);
  EXPECT_EQ(seen.Status, "Operation aborted!");
  EXPECT_EQ(seen.StatusColour, RGB(255, 0, 0));
  // The stopped file is whole, as it was; the file after it was never reached.
  EXPECT_EQ(ReadTestFile(data_ / "big.txt"), original);
  EXPECT_EQ(ReadTestFile(data_ / "later.txt"), "f");
  EXPECT_EQ(data_.Names(), (std::vector<std::string>{"big.txt", "later.txt"}));
}

TEST_F(ReplaceWindows, ManyRunsLeaveNoWindowGdiObjectOrHeapBlock) {
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "foo"));
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  r.memFind->SetText("o");
  r.mmReplace->SetText("o");
  if (r.chkBkCopy->Checked()) SendMessageA(r.chkBkCopy->Handle(), BM_CLICK, 0, 0);
  auto run = [&](std::vector<HWND>& windows, std::vector<HGDIOBJ>& glyphs) {
    pane_->Mark({"a.txt"});
    TViewerSeen seen;
    ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen, [&](TViewRenReplacer& v) {
      windows = {v.Handle(), v.sgInfo->Handle(), v.btnCancel->Handle()};
      glyphs = {v.btnCancel->GlyphHandle(), v.btnHelpF->GlyphHandle(), v.pnlFilesComment->Font().Handle()};
    }));
  };
  std::vector<HWND> windows;
  std::vector<HGDIOBJ> glyphs;
  run(windows, glyphs);
  const long heap = CountHeapBlocks();
  const int gdi = GdiObjects();
  for (int i = 0; i < 50; ++i) run(windows, glyphs);
  for (HWND w : windows) EXPECT_FALSE(IsWindow(w));
  for (HGDIOBJ g : glyphs) EXPECT_EQ(GetObjectType(g), 0u);
  EXPECT_LT(GdiObjects() - gdi, 10);
  EXPECT_LE(CountHeapBlocks(), heap);
  EXPECT_EQ(ReadTestFile(data_ / "a.txt"), "foo");
}

// The viewer's cost per file stays constant: a large run through it takes
// little longer than the same run through a bare host.
TEST_F(ReplaceWindows, AReplaceOverThousandsOfFilesKeepsPaceWithABareHost) {
  constexpr int kFiles = 1000;
  auto fill = [&] {
    for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(WriteTestFile(data_ / ("f" + std::to_string(i) + ".txt"), "a foo"));
  };
  fill();
  TWorkerHost host;
  for (int i = 0; i < kFiles; ++i) host.AddItem(data_.Path(), "f" + std::to_string(i) + ".txt");
  TGlobalBlock block = BuildPatternBlock("foo", "bar", {});
  auto worker = std::make_unique<TThreadOf<TReplacer>>();
  worker->PatternBlock = block.Handle();
  worker->Backup = false;
  host.BindReplace(*worker);
  const DWORD hostStart = GetTickCount();
  EXPECT_EQ(host.Run(*worker), 2u);
  const DWORD hostTime = GetTickCount() - hostStart;
  worker.reset();
  fill();
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  r.memFind->SetText("foo");
  r.mmReplace->SetText("bar");
  if (r.chkBkCopy->Checked()) SendMessageA(r.chkBkCopy->Handle(), BM_CLICK, 0, 0);
  pane_->Mark({"*.txt"});
  TViewerSeen seen;
  DWORD viewerTime = 0;
  const DWORD viewerStart = GetTickCount();
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen, [&](TViewRenReplacer&) { viewerTime = GetTickCount() - viewerStart; }));
  EXPECT_EQ(seen.Rows.size(), size_t(kFiles));
  EXPECT_EQ(seen.Summary[3][1], std::to_string(kFiles));
  EXPECT_EQ(ReadTestFile(data_ / ("f" + std::to_string(kFiles - 1) + ".txt")), "a bar");
  printf("%d files: viewer %lu ms, bare host %lu ms\n", kFiles, viewerTime, hostTime);
  EXPECT_LT(viewerTime, hostTime * 2 + 2000);
}
