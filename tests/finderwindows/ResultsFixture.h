#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "finder/FinderTestSupport.h"
#include "mainwindow/MainWindowTest.h"
#include "pane/PaneFixture.h"
#include "support/TempFolder.h"
#include "windows/SrchRes.h"

// Answers the next query dialog with a text, in its combo box or its edit,
// whichever it shows, recording its caption and the text it offered.
class TQueryAnswer {
 public:
  // ready: the answer waits until it holds.
  explicit TQueryAnswer(std::string text, std::function<bool()> ready = {});
  std::string Caption, Initial;
  // Whether the question's texts fitted it.
  testing::AssertionResult Fit = testing::AssertionSuccess();

 private:
  std::string text_;
  std::function<bool()> ready_;
  TTimer timer_;
};

// A results window shown over a search of the test's own tree, as the
// finder shows it, but without the modal loop: the test pumps. A pane of
// the pane tests' fixture stands for the active pane.
class ResultsWindow : public TPaneTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Prepares the window, starts the thread and shows the window.
  void StartSearch(const TSearchSetup& setup);
  bool WaitForEnd(int ms = 20000);
  // The text of a column kind at a grid row; "" for none.
  std::string RowText(int row, int kind);
  // The grid row that shows the file (a name with its extension), or -1.
  int RowOf(const std::string& name);
  // Names of the selected entries, sorted and joined by blanks.
  std::string SelectedNames();
  void ClickTitle(int col);
  // The mouse as the user moves it over the grid, the button down at the
  // first row and up at the last.
  void RightDrag(int fromRow, int toRow);
  HWND Grid() const { return window->sgFinder->Handle(); }

  TTempFolder tree;
  std::unique_ptr<TSrchRes> window;
  std::unique_ptr<TFinder> finder;
};
