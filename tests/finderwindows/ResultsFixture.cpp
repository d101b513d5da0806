#include "ResultsFixture.h"

#include <algorithm>

#include "core/ListLock.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "core/translator.h"
#include "support/TextFit.h"
#include "windows/StandardQuery.h"

TQueryAnswer::TQueryAnswer(std::string text, std::function<bool()> ready)
    : text_(std::move(text)), ready_(std::move(ready)) {
  timer_.Interval = 30;
  timer_.OnTimer = [this] {
    auto* q = dynamic_cast<TStandardQuery*>(TWinControl::FromHandle(GetActiveWindow()));
    if (!q || !q->Modal() || (ready_ && !ready_())) return;
    Caption = q->Caption();
    Fit = TextsFit(*q, "the question \"" + Caption + "\"");
    if (q->cbForSelectFiles->Visible()) {
      Initial = q->cbForSelectFiles->Text();
      q->cbForSelectFiles->SetText(text_);
    } else {
      Initial = q->edInfo->Text();
      q->edInfo->SetText(text_);
    }
    q->SetModalResult(mrOk);
  };
  timer_.SetEnabled(true);
}

void ResultsWindow::SetUp() {
  TPaneTest::SetUp();
  RegisterSharedTexts();
  GeneralCheckContainer = 0;
  FinderTesting::SetReportInterval(0);
}

void ResultsWindow::TearDown() {
  finder.reset();
  window.reset();
  FinderTesting::SetReportInterval(~0u);
  {
    TLock lock(ResultsLock);
    FreeFileList(SearchList);
  }
  ActivePane = nullptr;
  TPaneTest::TearDown();
}

void ResultsWindow::StartSearch(const TSearchSetup& setup) {
  window = std::make_unique<TSrchRes>();
  finder = PrepareSearch(setup, *window);
  window->InitForFinder();
  window->Finder = finder.get();
  TSrchRes* w = window.get();
  finder->OnTerminate = [w] { w->FinderTerminated(); };
  window->Show();
  SetForegroundWindow(window->Handle());
  finder->Resume();
}

bool ResultsWindow::WaitForEnd(int ms) {
  return PumpUntil([this] { return window->SearchEnded(); }, ms);
}

std::string ResultsWindow::RowText(int row, int kind) {
  TLock lock(ResultsLock);
  uint32_t dir = 0, pos = 0;
  std::string text;
  if (window->RowItem(row, dir, pos) && pos > 0) GetColumnText(kind, dir, pos, text, *ResultsList);
  return text;
}

int ResultsWindow::RowOf(const std::string& name) {
  for (int row = 0; row < window->RowCount; ++row)
    if (RowText(row, ColStoredName) == name) return row;
  return -1;
}

std::string ResultsWindow::SelectedNames() {
  std::vector<std::string> names;
  for (int row = 0; row < window->RowCount; ++row) {
    TLock lock(ResultsLock);
    uint32_t dir = 0, pos = 0;
    if (window->RowItem(row, dir, pos) && pos > 0 && IsFileSelected(dir, pos, *ResultsList))
      names.push_back(RowText(row, ColStoredName));
  }
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const std::string& n : names) joined += (joined.empty() ? "" : " ") + n;
  return joined;
}

void ResultsWindow::ClickTitle(int col) {
  int x = 0;
  for (int c = 0; c < col; ++c) x += window->sgTitle->ColWidths[size_t(c)];
  const LPARAM at = MAKELPARAM(x + window->sgTitle->ColWidths[size_t(col)] / 2, 5);
  PostMessageA(window->sgTitle->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(window->sgTitle->Handle(), WM_LBUTTONUP, 0, at);
  ::Pump(60);
}

void ResultsWindow::RightDrag(int fromRow, int toRow) {
  const int h = window->sgFinder->DefaultRowHeight;
  auto at = [&](int row) { return MAKELPARAM(30, (row - window->sgFinder->TopRow()) * h + h / 2); };
  PostMessageA(Grid(), WM_RBUTTONDOWN, MK_RBUTTON, at(fromRow));
  for (int row = fromRow + 1; row <= toRow; ++row) PostMessageA(Grid(), WM_MOUSEMOVE, MK_RBUTTON, at(row));
  PostMessageA(Grid(), WM_RBUTTONUP, 0, at(toRow));
  ::Pump(80);
}
