// The renamer window docked in the main window: its masks, the preview of
// the new names, the rename in the viewer, and its settings.
#include "ReplaceWindowsTest.h"

#include <algorithm>

#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "framework/IniFile.h"
#include "support/BoxAnswers.h"
#include "support/Screenshot.h"
#include "support/TextFit.h"
#include "windows/Finder.h"
#include "windows/FormRenamer.h"
#include "windows/SrchRes.h"

namespace {

using TNames = std::vector<std::string>;

// What each preview showed; it is then left by Start Rename or by Exit.
struct TPreviewSeen {
  bool start = false;
  int shown = 0;
  uint32_t busy = 0;
  TNames names;  // new name and extension of each row
  std::string shownCaption;
  std::string shot;  // the screenshot's name, or none
  HWND handle = nullptr;
  TSrchRes* window = nullptr;
  TTimer timer;
};
TPreviewSeen g_preview;

void LookAtPreview(TSrchRes& p) {
  ++g_preview.shown;
  g_preview.shownCaption.clear();
  g_preview.busy = ToolBusy;
  g_preview.names.clear();
  {
    TLock lock(ResultsLock);
    for (int row = 0; row < p.RowCount; ++row) {
      uint32_t dir = 0, pos = 0;
      if (!p.RowItem(row, dir, pos)) continue;
      const std::string ext = p.ColumnText(4, dir, pos);
      g_preview.names.push_back(p.ColumnText(3, dir, pos) + (ext.empty() ? "" : "." + ext));
    }
  }
  g_preview.window = &p;
  g_preview.handle = p.Handle();
  g_preview.timer.Interval = 20;
  g_preview.timer.OnTimer = [] {
    TSrchRes* w = g_preview.window;
    if (!w || !IsWindowVisible(w->Handle())) return;
    g_preview.window = nullptr;
    g_preview.shownCaption = w->Caption();
    if (!g_preview.shot.empty()) {
      Pump(50);
      EXPECT_TRUE(SaveWindowShot(w->Handle(), ShotPath(g_preview.shot)));
      EXPECT_TRUE(TextsFit(*w, "the rename preview"));
    }
    PostMessageA((g_preview.start ? w->btnStartRename : w->btnExit)->Handle(), BM_CLICK, 0, 0);
  };
  g_preview.timer.SetEnabled(true);
}

TNames Sorted(TNames names) {
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

class RenameWindow : public ReplaceWindows {
 protected:
  void SetUp() override {
    ReplaceWindows::SetUp();
    g_preview.shown = 0;
    g_preview.start = true;
    g_preview.shot.clear();
    TRenamerForm::OnPreviewShown = &LookAtPreview;
  }
  void TearDown() override {
    TRenamerForm::OnPreviewShown = nullptr;
    g_preview.timer.SetEnabled(false);
    ReplaceWindows::TearDown();
  }
  TRenamerForm& Renamer() {
    SwitchMode('3');
    auto* f = dynamic_cast<TRenamerForm*>(GetToolForm(ModeRenamer));
    EXPECT_TRUE(f && f->Showing());
    return *f;
  }
  void SetMasks(TRenamerForm& r, const std::string& name, const std::string& ext) {
    r.cmbFileName->SetText("");
    TypeText(r.cmbFileName->Handle(), name);
    r.cmbFileExt->SetText("");
    TypeText(r.cmbFileExt->Handle(), ext);
  }
};

TEST_F(RenameWindow, ThePreviewShowsTheNamesTheRenameGives) {
  for (const char* n : {"b.txt", "a.txt", "c.dat", "keep.txt"}) ASSERT_TRUE(WriteTestFile(data_ / n, n));
  TRenamerForm& r = Renamer();
  EXPECT_EQ(r.pnlNameTools->Caption(), "Renamer");
  EXPECT_EQ(r.cmbFileName->Text(), "[N]");
  Click(*r.btnCounter);
  Click(*r.btnCounter);
  EXPECT_EQ(r.cmbFileName->Text(), "[N][C][C]");
  Click(*r.btnExtRange);
  EXPECT_EQ(r.cmbFileExt->Text(), "[E][E1-3]");
  // A fresh settings file counts from 1 by 1.
  EXPECT_EQ(r.spStart->Value(), 1);
  EXPECT_EQ(r.spStep->Value(), 1);
  EXPECT_FALSE(r.btnStartOperation->Enabled());
  // Nothing to copy (only shell items marked, say): a warning under the program's title.
  {
    const std::string title = Application().Title;
    Application().Title = "Kelvanto renamer test";
    TBoxAnswers boxes({{Application().Title, IDOK}});
    r.btnStartOperationClick();
    const auto shown = boxes.Finish();
    EXPECT_EQ(shown, (std::vector<TBoxAnswers::TShown>{{"Kelvanto renamer test", "No files selected!"}}));
    EXPECT_EQ(g_preview.shown, 0);
    Application().Title = title;
  }
  SetMasks(r, "[N]_[C]", "[E]");
  pane_->Mark({"a.txt", "b.txt", "c.dat"});
  ASSERT_TRUE(r.btnStartOperation->Enabled());
  Pump(50);
  EXPECT_TRUE(SaveWindowShot(r.Handle(), ShotPath("renamewindow_renamer.bmp")));

  // Leaving the preview renames nothing and keeps the marks.
  g_preview.start = false;
  g_preview.shot = "renamewindow_preview.bmp";
  Click(*r.btnStartOperation);
  ASSERT_EQ(g_preview.shown, 1);
  EXPECT_EQ(g_preview.shownCaption, "Preview Multi-Rename Tool");
  EXPECT_EQ(g_preview.busy, 1u);
  const TNames preview{"a_1.txt", "b_2.txt", "c_3.dat"};
  EXPECT_EQ(g_preview.names, preview);
  EXPECT_EQ(data_.Names(), (TNames{"a.txt", "b.txt", "c.dat", "keep.txt"}));
  EXPECT_TRUE(pane_->Marked("a.txt") && pane_->Marked("b.txt") && pane_->Marked("c.dat"));
  EXPECT_EQ(ToolBusy, 0u);
  EXPECT_EQ(pane_->OwnList().Busy, 0);

  // Start Rename gives the disk exactly the names the preview showed.
  g_preview.start = true;
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen, [](TViewRenReplacer& v) {
    Pump(300);
    EXPECT_TRUE(SaveWindowShot(v.Handle(), ShotPath("renamewindow_viewer.bmp")));
  }));
  EXPECT_EQ(g_preview.names, preview);
  EXPECT_EQ(seen.Caption, "Multi-Rename Tool");
  EXPECT_EQ(seen.Status, "Operation completed!");
  TNames onDisk = preview;
  onDisk.push_back("keep.txt");
  EXPECT_EQ(data_.Names(), Sorted(onDisk));
  EXPECT_EQ(ReadTestFile(data_ / "b_2.txt"), "b.txt");
  ASSERT_EQ(seen.Rows.size(), 3u);
  for (const auto& row : seen.Rows) EXPECT_EQ(row.at(1), "successful\x02") << row.at(0);
  // The new name, then the old path (its folder as the lists spell it).
  EXPECT_EQ(seen.Rows[0].at(0).rfind("a_1.txt - ", 0), 0u);
  EXPECT_EQ(lstrcmpiA(seen.Rows[0].at(0).c_str() + 10, (data_ / "a.txt").c_str()), 0);
  ASSERT_EQ(seen.Summary.size(), 5u);
  EXPECT_EQ(seen.Summary[1].at(1), "3");
  EXPECT_EQ(seen.Summary[3].at(1), "3");
  EXPECT_EQ(seen.Summary[4].at(1), "0");
  EXPECT_EQ(ToolBusy, 0u);
  EXPECT_EQ(pane_->OwnList().Busy, 0);
}

TEST_F(RenameWindow, ARenameOntoAnExistingNameKeepsBothFiles) {
  for (const char* n : {"a.txt", "b.txt", "x.txt"}) ASSERT_TRUE(WriteTestFile(data_ / n, n));
  TRenamerForm& r = Renamer();
  SetMasks(r, "x", "[E]");
  pane_->Mark({"a.txt", "b.txt"});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen));
  EXPECT_EQ(data_.Names(), (TNames{"a.txt", "b.txt", "x.txt"}));
  for (const char* n : {"a.txt", "b.txt", "x.txt"}) EXPECT_EQ(ReadTestFile(data_ / n), n);
  ASSERT_EQ(seen.Rows.size(), 2u);
  for (const auto& row : seen.Rows) EXPECT_EQ(row.at(1), "failed\x01");
  EXPECT_EQ(seen.Summary.at(4).at(1), "2");
}

// A marked folder is renamed like a file; a marked file inside it, listed
// below it in the tree, then fails, and nothing is lost.
TEST_F(RenameWindow, AFolderAndAFileInsideItInTheTree) {
  ASSERT_TRUE(WriteTestFile(data_ / "sub\\x.txt", "x"));
  TRenamerForm& r = Renamer();
  SetMasks(r, "[N]_r", "[E]");
  pane_->Mark({"sub", "sub\\x.txt"});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen));
  EXPECT_EQ(g_preview.names, (TNames{"sub_r", "x_r.txt"}));
  EXPECT_EQ(data_.Names(), TNames{"sub_r"});
  EXPECT_EQ(ReadTestFile(data_ / "sub_r\\x.txt"), "x");
  ASSERT_EQ(seen.Rows.size(), 2u);
  EXPECT_EQ(seen.Rows[0].at(1), "successful\x02");
  EXPECT_EQ(seen.Rows[1].at(1), "failed\x01");
}

TEST_F(RenameWindow, ACloseWhileRunningStopsAndKeepsTheNamesGiven) {
  constexpr int kFiles = 1500;
  for (int i = 10000; i < 10000 + kFiles; ++i) data_.File("f" + std::to_string(i) + ".txt", 1);
  TRenamerForm& r = Renamer();
  SetMasks(r, "[N]_r", "[E]");
  pane_->Mark({"*.txt"});
  const std::string caption = form_->Caption();
  TBoxAnswers answers({{caption, IDYES}});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen, {}, [](TViewRenReplacer& v) {
    if (v.Files < 20) return false;
    PostMessageA(v.sgInfo->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    return true;
  }));
  EXPECT_EQ(answers.Finish().size(), 1u);
  EXPECT_EQ(seen.Status, "Operation aborted!");
  const TNames names = data_.Names();
  ASSERT_EQ(names.size(), size_t(kFiles));
  const auto renamed = std::count_if(names.begin(), names.end(),
                                     [](const std::string& n) { return n.find("_r.") != std::string::npos; });
  EXPECT_GE(renamed, 20);
  EXPECT_LT(renamed, kFiles);
  EXPECT_EQ(seen.Summary.at(3).at(1), std::to_string(renamed));
  EXPECT_EQ(ToolBusy, 0u);
}

TEST_F(RenameWindow, CounterAndListChoicesFollowTheRestoreOption) {
  TRenamerForm& r = Renamer();
  struct TCase {
    const char* values;
    bool restore;
    int64_t start, step;
    int digits, caseMode;
  } const cases[] = {
      {"", true, 1, 1, 0, 0},
      {"RnStartAt=5\r\nRnStepBy=0\r\nRnStatus=35\r\n", true, 5, 0, 3, 2},
      {"RnStatus=255\r\n", true, 1, 1, 0, 0},
      {"RnStartAt=5\r\nRnStatus=35\r\n", false, 1, 1, 0, 0},
  };
  const uint32_t options = GeneralCheckContainer;
  for (const TCase& c : cases) {
    r.spStart->SetValue(1);
    r.spStep->SetValue(1);
    r.cmbDigits->SetItemIndex(0);
    r.cmbCaseSensitive->SetItemIndex(0);
    ASSERT_TRUE(WriteTestFile(Ini(), std::string("[Renamer]\r\nMASK_NAME_VALUE=[N]-x\r\n") + c.values));
    GeneralCheckContainer = c.restore ? options | OptRestoreRenamer : options & ~OptRestoreRenamer;
    r.LoadSettings();
    EXPECT_EQ(r.cmbFileName->Text(), "[N]-x") << c.values;
    EXPECT_EQ(r.spStart->Value(), c.start) << c.values;
    EXPECT_EQ(r.spStep->Value(), c.step) << c.values;
    EXPECT_EQ(r.cmbDigits->ItemIndex(), c.digits) << c.values;
    EXPECT_EQ(r.cmbCaseSensitive->ItemIndex(), c.caseMode) << c.values;
  }
  r.cmbDigits->SetItemIndex(4);
  r.cmbCaseSensitive->SetItemIndex(3);
  for (const bool restore : {false, true}) {
    ASSERT_TRUE(WriteTestFile(Ini(), ""));
    GeneralCheckContainer = restore ? options | OptRestoreRenamer : options & ~OptRestoreRenamer;
    r.SaveSettings();
    const TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadString("Renamer", "MASK_NAME_VALUE", ""), "[N]-x");
    for (const char* key : {"RnStartAt", "RnStepBy", "RnStatus"})
      EXPECT_EQ(ini.ValueExists("Renamer", key), restore) << key;
    if (restore) {
      EXPECT_EQ(ini.ReadInteger("Renamer", "RnStatus", -1), 4 + 16 * 3);
    }
  }
  GeneralCheckContainer = options;
  // A language's texts refill the case list and keep its choice.
  Translator().SetTranslation(1800 + 24, "kleine letters");
  r.ApplyTexts(1800);
  EXPECT_EQ(r.cmbCaseSensitive->ItemIndex(), 3);
  EXPECT_EQ(r.cmbCaseSensitive->Items[1], "kleine letters");
}

TEST_F(RenameWindow, ManyRunsLeaveNoWindowGdiObjectOrHeapBlock) {
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "a"));
  TRenamerForm& r = Renamer();
  std::vector<HWND> windows;
  std::vector<HGDIOBJ> glyphs;
  // Back and forth between two names, so every run renames.
  auto run = [&](const char* from, const char* to) {
    SetMasks(r, to, "[E]");
    pane_->Mark({from});
    TViewerSeen seen;
    ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen, [&](TViewRenReplacer& v) {
      windows = {g_preview.handle, v.Handle(), v.sgInfo->Handle(), v.btnCancel->Handle()};
      glyphs = {v.btnCancel->GlyphHandle(), v.btnHelpF->GlyphHandle()};
    }));
    ASSERT_EQ(data_.Names(), TNames{std::string(to) + ".txt"});
  };
  // Both directions once first: the boxes' histories then hold both names.
  run("a.txt", "b");
  run("b.txt", "a");
  run("a.txt", "b");
  const long heap = CountHeapBlocks();
  const int gdi = int(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  for (int i = 0; i < 25; ++i) {
    run("b.txt", "a");
    run("a.txt", "b");
  }
  for (HWND w : windows) EXPECT_FALSE(IsWindow(w));
  for (HGDIOBJ g : glyphs) EXPECT_EQ(GetObjectType(g), 0u);
  EXPECT_LT(int(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) - gdi, 10);
  EXPECT_LE(CountHeapBlocks(), heap);
  EXPECT_EQ(ReadTestFile(data_ / "b.txt"), "a");
}
