#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "PaneFixture.h"
#include "core/IconReader.h"
#include "core/ListLock.h"
#include "support/ProcessThreads.h"

namespace {

class PaneLoad : public TPaneTest {
 protected:
  // Lets the icon reader run for a while.
  void Idle(DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
      Application().ProcessMessages();
      Sleep(1);
    }
  }
};

// Refills while the reader runs. Files and folders (the two icons the shell
// gives here) alternate by name, and a renamed entry moves to the end, so
// an icon kept by place rather than by name would land on the other kind.
TEST_F(PaneLoad, RefillsUnderTheIconReaderKeepEveryIconItsOwn) {
  const int entries = 2000;
  std::vector<std::string> names;
  for (int i = 0; i < entries; ++i) {
    names.push_back((i % 2 ? "e" + std::to_string(10000 + i) : "e" + std::to_string(10000 + i) + ".txt"));
    if (i % 2) {
      temp.Folder(names.back());
    } else {
      temp.File(names.back());
    }
  }
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  TBrowserForm& pane = MakePane();
  pane.StopIconThread();
  const int threads = ThreadsOfThisProcess();
  for (int i = 0; i < 200; ++i) {
    if (i % 2 == 0) {
      std::string& name = names[size_t((i * 7) % entries)];
      const std::string renamed = (name[0] == 'e' ? "r" : "e") + name.substr(1);
      ASSERT_TRUE(MoveFileA((temp / name).c_str(), (temp / renamed).c_str()));
      name = renamed;
    }
    pane.Refresh();
    Application().ProcessMessages();
    if (i % 20 == 0) Idle(200);
  }
  pane.StopIconThread();
  EXPECT_EQ(ThreadsOfThisProcess(), threads);
  EXPECT_EQ(TThread::LiveCount(), 0);
  TListLock lock(*pane.FolderList);
  const TDirRecord* root = lock.Dir(1);
  ASSERT_TRUE(root);
  ASSERT_EQ(root->FileCount, uint32_t(entries));
  int read[2] = {}, wrong = 0;
  for (uint32_t pos = 1; pos <= root->FileCount; ++pos) {
    const TFileRecord* e = lock.Entry(1, pos);
    if (e->IconIndex == IconUnread) continue;
    ++read[IsFolder(*e)];
    const std::string name = pane.FolderList->Names->GetString(e->NameOffset);
    SHFILEINFOA sfi{};
    SHGetFileInfoA((temp / name).c_str(), 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    if (e->IconIndex != sfi.iIcon && ++wrong < 5) ADD_FAILURE() << name << ": " << e->IconIndex << " " << sfi.iIcon;
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(read[0], 10);
  EXPECT_GT(read[1], 10);
}

// Every pen, brush and font a paint made is gone by the next one.
TEST_F(PaneLoad, PaintsLeaveNoGdiObjectBehind) {
  MakeTree({"alpha\\a1.txt", "beta\\b1.doc", "one.txt", "two.doc", "three.ini", "README"});
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  TBrowserForm& pane = MakePane();
  AddToBasket(temp / "alpha");
  std::set<HGDIOBJ> stock, seen, last;
  for (int i = 0; i <= STOCK_LAST; ++i) stock.insert(GetStockObject(i));
  auto draw = pane.sgBrowser->OnDrawCell;
  pane.sgBrowser->OnDrawCell = [&](int col, int row, const RECT& r, unsigned state, TCanvas& c) {
    draw(col, row, r, state, c);
    for (UINT kind : {OBJ_FONT, OBJ_PEN, OBJ_BRUSH}) {
      HGDIOBJ h = GetCurrentObject(c.Handle(), kind);
      if (!stock.count(h)) last.insert(h);
    }
  };
  const int modes[] = {PaneBrief, PaneTree, PaneBasket, PaneFull};
  for (int i = 0; i < 1000; ++i) {
    if (i % 10 == 0) pane.SetMode(modes[(i / 10) % 4]);
    seen.insert(last.begin(), last.end());
    last.clear();
    RedrawWindow(pane.sgBrowser->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  ASSERT_FALSE(last.empty());
  int live = 0;
  for (HGDIOBJ h : seen)
    if (!last.count(h) && GetObjectType(h) != 0) ++live;
  EXPECT_EQ(live, 0) << "of " << seen.size();
}

}  // namespace
