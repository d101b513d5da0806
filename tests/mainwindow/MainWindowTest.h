#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "windows/About.h"
#include "windows/MainForm.h"

// Where a screenshot goes: the test program's folder (the tests change the
// current folder).
std::string ShotPath(const std::string& name);
// A key as the loop gets it from the focused window, with Ctrl held.
void PressKey(HWND target, WORD vk, bool ctrl = false);
// A key posted to target with the modifier keys (VK_CONTROL, VK_SHIFT,
// VK_MENU) held: with Alt it comes as a system key.
void PressKeys(HWND target, WORD vk, const std::vector<int>& modifiers);
// The visible top-level window of this process with that caption.
HWND FindOwnWindow(const char* caption);
// The lines of one section of an ini file, in file order ("key=value").
std::vector<std::string> SectionLines(const std::string& file, const std::string& section);

// The main window made as the program makes it: its settings in a fresh
// folder, which is also the current folder and holds the sample plug-in.
class MainWindow : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Makes the window and the about box and shows the window; every tip
  // window that opens meanwhile is closed with Esc.
  void Start();
  // Destroys both, as the program's end does (the settings are written).
  void Stop();
  std::string Ini() const { return dir_ / "kvt.ini"; }

  TTempFolder dir_;
  std::unique_ptr<TMainForm> form_;
  std::unique_ptr<TfrmAbout> about_;
  // Tip windows seen open at one time, at most, and in all.
  int tipsAtOnce_ = 0;
  int tipsSeen_ = 0;

 private:
  TTimer tipCloser_;
  HWND lastTip_ = nullptr;
  char oldDir_[MAX_PATH] = "";
};
