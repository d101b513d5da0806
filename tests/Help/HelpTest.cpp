#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/Help.h"
#include "support/MessagePump.h"

namespace {

// The help file the build puts into the program folder beside tests/.
std::string BuiltHelpFile() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = path;
  s.resize(s.rfind('\\'));
  s.resize(s.rfind('\\') + 1);
  return s + "program\\kvt.chm";
}

bool WaitForViewer(bool present, int ms = 10000) {
  return PumpUntil([&] { return (FindWindowA("HH Parent", nullptr) != nullptr) == present; }, ms);
}

// Runs in one test: whether the library is loaded depends on the order.
TEST(Help, LoadsOnFirstRequestAndShowsTheFile) {
  HelpFileName = BuiltHelpFile();
  ASSERT_NE(GetFileAttributesA(HelpFileName.c_str()), INVALID_FILE_ATTRIBUTES) << HelpFileName;

  CallHtmlHelp(nullptr, nullptr, HH_CLOSE_ALL_COMMAND, 0);
  EXPECT_FALSE(HtmlHelpLoaded());
  EXPECT_EQ(GetModuleHandleA("hhctrl.ocx"), nullptr);

  HWND app = CreateWindowExA(0, "STATIC", "Kelvanto", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(app, nullptr);
  const std::string topics[] = {"CONTENTS", "RENAMER", "SEARCH_REPLACE_RESULTS"};
  for (const auto& topic : topics) {
    const std::string target = HelpFileName + "::/" + topic + ".htm";
    CallHtmlHelp(app, target.c_str(), HH_DISPLAY_TOPIC_COMMAND, 0);
    EXPECT_TRUE(HtmlHelpLoaded());
    EXPECT_TRUE(WaitForViewer(true)) << topic;
  }
  char title[256] = "";
  GetWindowTextA(FindWindowA("HH Parent", nullptr), title, sizeof title);
  EXPECT_STREQ(title, "Kelvanto help");  // the compiled file's own title

  CallHtmlHelp(nullptr, nullptr, HH_CLOSE_ALL_COMMAND, 0);
  EXPECT_TRUE(WaitForViewer(false));
  DestroyWindow(app);
}

TEST(Help, MissingFileShowsNothingAndDoesNotFail) {
  const std::string missing = "C:\\no such folder\\kvt.chm::/BROWSER.htm";
  CallHtmlHelp(nullptr, missing.c_str(), HH_DISPLAY_TOPIC_COMMAND, 0);
  // The viewer of an existing file shows within a fraction of this.
  EXPECT_FALSE(WaitForViewer(true, 2000));
  CallHtmlHelp(nullptr, nullptr, HH_CLOSE_ALL_COMMAND, 0);
}

}  // namespace
