// A browser pane on one folder: the seconds of showing it, refreshing it and
// sorting it by a header column (best of several rounds), and the worst
// milliseconds of a full repaint, a right-drag step and a wheel step.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "bench/Clock.h"
#include "controls/BrowserImages.h"
#include "core/Drives.h"
#include "core/FileList.h"
#include "core/IconReader.h"
#include "windows/FormBrowser.h"
#include "windows/Startup.h"

namespace {

class TBenchHost : public IPaneHost {
 public:
  void UpdateStartAction() override {}
  void SendToBasket() override {}
  void PaneEntered(TBrowserForm&) override {}
  void FollowActivePane(TBrowserForm&) override {}
  void UpdateMainModeButtons(bool, bool, bool) override {}
  void EvenPaneTops() override {}
  TPopupMenu* DriveMenu() override { return &menu_; }
  HIMAGELIST ImageListBrowser() override { return images_->Handle(); }
  HIMAGELIST UpDownImages() override { return sorts_->Handle(); }

 private:
  TPopupMenu menu_;
  std::unique_ptr<TImageList> images_ = MakeImageListBrowser();
  std::unique_ptr<TImageList> sorts_ = MakeUpDownImages();
};

double Best(int rounds, const std::function<void()>& step) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const double start = Now();
    step();
    best = std::min(best, Now() - start);
  }
  return best;
}

double Worst(int rounds, const std::function<void(int)>& step) {
  double worst = 0;
  for (int i = 0; i < rounds; ++i) {
    const double start = Now();
    step(i);
    worst = std::max(worst, Now() - start);
  }
  return worst;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    fprintf(stderr, "usage: bench_pane FOLDER SETTINGS [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc == 4 ? std::max(1, atoi(argv[3])) : 1;
  OleInitialize(nullptr);
  LoadRegisteredExtensions(RegisteredExtensions);
  GetShellIconIndexes();
  SHGetDesktopFolder(&DesktopFolder);
  FillDriveList(DriveList, DriveOptionBasket);
  InitFileList(Basket, 10, 300, "*.*", 10000);
  SettingsFilePath = argv[2];
  TBenchHost host;
  TForm form;
  form.SetBounds(0, 0, 700, 760);
  auto* panel = new TPanel(&form);
  panel->SetAlign(TAlign::Client);
  form.Show();
  ShellOwnerWindow = form.Handle();
  int entries = 0;
  {
    TBrowserForm pane(panel, "LeftBrowser", host);
    pane.LoadSettings("BROWSER_LEFT");
    pane.ApplyLayout(0xF1);
    pane.Show();
    Application().ProcessMessages();
    TPylStringGrid& grid = *pane.sgBrowser;
    const double open = Best(rounds, [&] { pane.OpenFolder(argv[1], ""); });
    entries = pane.FolderList->FileCount;
    const double refresh = Best(rounds, [&] { pane.Refresh(); });
    int column = 2;
    const double sort = Best(rounds, [&] { pane.ChangeSortColumn(column++ % 2 ? 0 : 2); });
    auto repaint = [&](int) { RedrawWindow(grid.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };
    const double full = Worst(10, repaint);
    grid.SetFocus();
    const int h = grid.DefaultRowHeight;
    auto at = [&](int row) { return MAKELPARAM(40, row * h + h / 2); };
    SendMessageA(grid.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at(0));
    const double drag = Worst(30, [&](int i) {
      SendMessageA(grid.Handle(), WM_MOUSEMOVE, MK_RBUTTON, at(1 + i));
      UpdateWindow(grid.Handle());
    });
    SendMessageA(grid.Handle(), WM_RBUTTONUP, 0, at(1));
    RECT r;
    GetWindowRect(grid.Handle(), &r);
    const double wheel = Worst(30, [&](int) {
      SendMessageA(grid.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(r.left + 40, r.top + 40));
      UpdateWindow(grid.Handle());
    });
    pane.SetMode(PaneBrief);
    const double brief = Worst(10, repaint);
    pane.StopIconThread();
    printf("%d open=%.6f refresh=%.6f sort=%.6f paint_full_ms=%.2f paint_brief_ms=%.2f drag_ms=%.2f wheel_ms=%.2f\n",
           entries, open, refresh, sort, full * 1000, brief * 1000, drag * 1000, wheel * 1000);
  }
  FreeFileList(LeftPaneList);
  FreeFileList(Basket);
  return entries > 0 ? 0 : 1;
}
