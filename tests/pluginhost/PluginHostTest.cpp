// The plug-in host over the real main window, with the test plug-in that the
// ".ctl" file beside it steers and whose ".log" tells what it saw.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "MainWindowTest.h"
#include "core/FileList.h"
#include "core/FileUtils.h"
#include "core/Plugins.h"
#include "core/Selection.h"
#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "support/BoxWatch.h"
#include "support/Screenshot.h"
#include "windows/FormBatchReplacer.h"
#include "windows/FormBrowser.h"
#include "windows/FormFinder.h"
#include "windows/FormRenamer.h"
#include "windows/FormReplacer.h"
#include "windows/PluginHost.h"
#include "windows/Settings.h"
#include "windows/Startup.h"

namespace {

using KvtPlugin::ReqNextItem;
using KvtPlugin::ReqSettingsPath;
using KvtPlugin::ReqUpdateItem;
using KvtPlugin::UpdUnselect;
using KvtPlugin::WM_KVT_REQUEST;

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// The logged lines from the first answer on.
std::vector<std::string> Answers(const std::vector<std::string>& log) {
  std::vector<std::string> out;
  for (const std::string& l : log)
    if (l.rfind("answer", 0) == 0) out.push_back(l);
  return out;
}

class PluginHost : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    files_ = dir_ / "files";
    for (const char* name : {"a.txt", "b.txt", "c.dat"}) dir_.File(std::string("files\\") + name, 10);
    dir_.Folder("files\\sub");
    for (const char* section : {"BROWSER_LEFT", "BROWSER_RIGHT"})
      WritePrivateProfileStringA(section, "Directory", files_.c_str(), Ini().c_str());
    WritePrivateProfileStringA("MainForm", "ShowTips", "0", Ini().c_str());
  }
  void Plugin(const std::string& library) {
    const std::string from = ProgramFolder() + library + ".plgn";
    ASSERT_TRUE(CopyFileA(from.c_str(), (dir_ / (library + ".plgn")).c_str(), FALSE)) << from;
  }
  void Control(const std::string& text) {
    WriteTestFile(dir_ / "test_plugin.ctl", text);
    DeleteFileA(Log().c_str());
  }
  std::string Log() const { return dir_ / "test_plugin.log"; }
  std::vector<std::string> LogLines() const { return Lines(Log()); }
  TBrowserForm* Pane() const { return dynamic_cast<TBrowserForm*>(form_->LeftBrowser); }
  TMenuItem* Item(const std::string& title) const {
    for (size_t i = 3; i < form_->mnuPlugins->Count(); ++i)
      if (form_->mnuPlugins->Item(i)->Caption == title) return form_->mnuPlugins->Item(i);
    return nullptr;
  }
  // The plug-in's item clicked by its command, as the menu does.
  void Run(const std::string& title = "Test plug-in") {
    TMenuItem* item = Item(title);
    ASSERT_NE(item, nullptr) << title;
    SendMessageA(form_->Handle(), WM_COMMAND, item->Command(), 0);
    Pump(20);
  }
  void StartWithPane() {
    Start();
    ASSERT_NE(Pane(), nullptr);
    Pane()->sgBrowser->SetFocus();
    Pump(50);
    ASSERT_EQ(ActivePanel, Pane());
  }
  void MarkTxt() {
    SelectByMask(1, "*.txt", true, *Pane()->FolderList);
    UpdateListTotals(*Pane()->FolderList);
  }
  int32_t Marked() {
    UpdateListTotals(*Pane()->FolderList);
    return Pane()->FolderList->SelectedCount;
  }
  std::string files_;
};

TEST_F(PluginHost, InterfaceNumberAndExportsDecideWhetherItRuns) {
  Plugin("test_plugin");
  Plugin("test_plugin_nostart");
  StartWithPane();
  struct TCase {
    const char* control;
    const char* title;
    bool started;
    std::string box;
  };
  const TCase cases[] = {
      {"magic=20\n", "Test plug-in", true, ""},
      {"magic=-1\n", "Test plug-in", true, ""},
      {"magic=21\n", "Test plug-in", false, Tx(151) + Tx(150)},
      {"", "No start", false, Tx(151) + "."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.control);
    Control(c.control);
    TBoxWatch boxes;
    Run(c.title);
    const auto log = LogLines();
    EXPECT_EQ(Has(log, "StartPlugin"), c.started);
    if (c.box.empty()) {
      EXPECT_TRUE(boxes.Boxes.empty());
    } else {
      ASSERT_EQ(boxes.Boxes.size(), 1u);
      EXPECT_EQ(boxes.Boxes[0].Caption, "error!");
      EXPECT_EQ(boxes.Boxes[0].Text, c.box);
      EXPECT_TRUE(boxes.Boxes[0].HasIcon);
    }
    EXPECT_EQ(form_->PluginRunning, 0);
    EXPECT_EQ(GetModuleHandleA((dir_ / "test_plugin.plgn").c_str()), nullptr);
  }
}

TEST_F(PluginHost, SelectionCheckAndTheAutomaticMark) {
  Plugin("test_plugin");
  StartWithPane();
  MarkTxt();
  {
    Control("flags=4\n");
    TBoxWatch boxes;
    Run();
    EXPECT_FALSE(Has(LogLines(), "StartPlugin"));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_NE(boxes.Boxes[0].Text.find(Tx(23)), std::string::npos);
  }
  SelectByMask(1, "*.*", false, *Pane()->FolderList);
  ASSERT_EQ(Marked(), 0);
  // The cursor's entry is marked for the run; a False result takes it back.
  Pane()->MoveTo(1, 0, 0);
  Control("flags=8\nresult=0\nrequests=1\n");
  Run();
  EXPECT_EQ(Answers(LogLines()).size(), 1u);
  EXPECT_NE(Answers(LogLines())[0], "answer 1 0");
  EXPECT_EQ(Marked(), 0);
  Control("flags=8\nresult=1\n");
  Run();
  EXPECT_EQ(Marked(), 1);
}

TEST_F(PluginHost, RequestsAnswerTheWalkCountsAndPaths) {
  Plugin("test_plugin");
  StartWithPane();
  MarkTxt();
  Control("requests=3,1,1,1,4,1,5,0,6,2u\n");
  Run();
  const auto log = LogLines();
  EXPECT_TRUE(Has(log, "PluginParameters 1 "));
  EXPECT_TRUE(Has(log, "PluginParameters 2 " + SettingsFilePath));
  const std::string a = "answer 1 " + files_ + "|a.txt|32", b = "answer 1 " + files_ + "|b.txt|32";
  const std::vector<std::string> expected = {"answer 3 2 2 0 0", a, b, "answer 1 0", a,
                                             "answer 5 " + SettingsFilePath};
  EXPECT_EQ(Answers(log), expected);
  // Over the pane's own list an update changes the mark only.
  EXPECT_EQ(Marked(), 1);
  EXPECT_TRUE(Has(log, "StartPlugin"));
  EXPECT_FALSE(Has(log, "StartPlugin app shown"));

  Translator().LanguageFileName = "German.lng";
  Control("requests=1,2all:new.txt\n");
  Run();
  EXPECT_TRUE(Has(LogLines(), "PluginParameters 1 German.lng"));
  EXPECT_EQ(Marked(), 0);
  EXPECT_NE(FindFileByName(1, "b.txt", *Pane()->FolderList, true), 0u);
  EXPECT_EQ(FindFileByName(1, "new.txt", *Pane()->FolderList, true), 0u);
}

TEST_F(PluginHost, RequestsOutsideARunOrWithBadContentsAreIgnored) {
  Plugin("test_plugin");
  StartWithPane();
  MarkTxt();
  // No run: nothing is served, whatever the record.
  KvtPlugin::TItemUpdate unselect{UpdUnselect, nullptr, 0, 0, 0, {}};
  SendMessageA(form_->Handle(), WM_KVT_REQUEST, ReqUpdateItem, reinterpret_cast<LPARAM>(&unselect));
  SendMessageA(form_->Handle(), WM_KVT_REQUEST, ReqUpdateItem, 0x10);
  SendMessageA(form_->Handle(), WM_KVT_REQUEST, ReqNextItem, reinterpret_cast<LPARAM>(form_->Handle()));
  SendMessageA(form_->Handle(), WM_KVT_REQUEST, ReqSettingsPath, reinterpret_cast<LPARAM>(form_->Handle()));
  Pump(30);
  EXPECT_EQ(Marked(), 2);

  // A window of another process gets nothing.
  const std::string report = dir_ / "receiver.txt";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + ProgramFolder() + "test_pluginhost_receiver.exe\" \"" + report + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  unsigned long long foreign = 0;
  ASSERT_TRUE(PumpUntil([&] { return sscanf(ReadTestFile(report).c_str(), "window %llu", &foreign) == 1; }, 10000));
  char steps[200];
  snprintf(steps, sizeof steps, "requests=1,2wild,2long,2bs,1f:%llu,3f:%llu,5f:%llu\n", foreign, foreign, foreign);
  Control(steps);
  Run();
  PostMessageA(reinterpret_cast<HWND>(foreign), WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(ReadTestFile(report).rfind("answers 0", 0), 0u) << ReadTestFile(report);
  // Each bad record also asked to unselect: the marks are all there.
  EXPECT_EQ(Marked(), 2);
  EXPECT_EQ(Answers(LogLines()).size(), 1u);
  EXPECT_TRUE(IsReadableMemory(&unselect, sizeof unselect));
  EXPECT_FALSE(IsReadableMemory(reinterpret_cast<void*>(0x10), 4));
}

TEST_F(PluginHost, LibrariesThatDoNotLoadAreTold) {
  const std::string i686 = KVT_I686_SAMPLE;
  const bool haveI686 = GetFileAttributesA(i686.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (haveI686) {
    ASSERT_TRUE(CopyFileA(i686.c_str(), (dir_ / "Attrelle32.plgn").c_str(), FALSE));
    WritePluginTitleCache("Attrelle32.plgn", "Attrelle 32");
  }
  Plugin("test_plugin_missingdep");
  WritePluginTitleCache("test_plugin_missingdep.plgn", "Missing library");
  StartWithPane();
  std::vector<std::string> titles = {"Missing library"};
  if (haveI686) titles.push_back("Attrelle 32");
  for (const std::string& title : titles) {
    SCOPED_TRACE(title);
    TBoxWatch boxes;
    Run(title);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, Tx(151));
    EXPECT_EQ(boxes.Boxes[0].Caption, "error!");
  }
  // The 32-bit library is refused for its bitness.
  if (haveI686) {
    EXPECT_EQ(LoadLibraryA((dir_ / "Attrelle32.plgn").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), 193u);
  }
  EXPECT_TRUE(IsWindow(form_->Handle()));
  if (!haveI686) GTEST_SKIP() << "no i686 build beside this one: " << i686;
}

TEST_F(PluginHost, WhileItsWindowIsUpNothingElseRunsAndTheWindowOrderIsKept) {
  Plugin("test_plugin");
  StartWithPane();
  MarkTxt();
  Control("hold=1\nrequests=1,1,1\n");
  const std::string folderBefore = Pane()->FolderList->MaskText;
  bool checked = false;
  TTimer during;
  during.Interval = 100;
  during.OnTimer = [&] {
    HWND plugin = FindOwnWindow("Test plug-in");
    if (!plugin || checked) return;
    checked = true;
    HWND grid = Pane()->sgBrowser->Handle();
    PressKeys(grid, '0', {VK_CONTROL, VK_SHIFT});
    PressKeys(grid, VK_F5, {});
    PressKeys(grid, '4', {VK_CONTROL});
    PressKeys(grid, 'S', {VK_CONTROL});
    SendMessageA(form_->btnCopy->Handle(), BM_CLICK, 0, 0);
    SendMessageA(form_->Handle(), WM_COMMAND, Item("Test plug-in")->Command(), 0);
    SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuStartOperation->Command(), 0);
    // Enter on the folder, Backspace: the walked list stays as it is.
    Pane()->MoveTo(Pane()->FindFirstByText("sub"), 0, 0);
    PressKeys(grid, VK_RETURN, {});
    PressKeys(grid, VK_BACK, {});
    EXPECT_EQ(CurrentMode, ModeBrowser);
    EXPECT_EQ(CountOf(Lines(Log()), "StartPlugin"), 1);
    EXPECT_EQ(lstrcmpiA(GetDirPath(1, *Pane()->FolderList).c_str(), files_.c_str()), 0);

    // The tools' own Start buttons and File > Exit wait too: no box, no
    // window opens (one that did would be closed, and counted).
    dynamic_cast<TReplacerForm*>(GetToolForm(ModeReplacer))->memFind->SetText("a");
    int opened = 0;
    TTimer closer;
    closer.Interval = 30;
    closer.OnTimer = [&] {
      for (HWND w : ProcessWindowsOfClass("TKvtWindow")) {
        if (w == form_->Handle() || w == plugin) continue;
        ++opened;
        PostMessageA(w, WM_CLOSE, 0, 0);
      }
    };
    closer.SetEnabled(true);
    {
      TBoxWatch boxes;
      dynamic_cast<TFinderForm*>(GetToolForm(ModeFinder))->btnStartOperationClick();
      dynamic_cast<TRenamerForm*>(GetToolForm(ModeRenamer))->btnStartOperationClick();
      dynamic_cast<TReplacerForm*>(GetToolForm(ModeReplacer))->btnStartOperationClick();
      dynamic_cast<TBatchReplacerForm*>(GetToolForm(ModeBatchReplacer))->btnStartOperationClick();
      SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuExit->Command(), 0);
      Pump(100);
      EXPECT_TRUE(boxes.Boxes.empty());
    }
    closer.SetEnabled(false);
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(form_->Visible());
    EXPECT_EQ(CountOf(Lines(Log()), "StartPlugin"), 1);

    // The window order: the main window on top, then an activation.
    SetForegroundWindow(plugin);
    SetWindowPos(form_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_NE(GetWindow(form_->Handle(), GW_HWNDPREV), plugin);
    Application().ActivateApp(false);
    Application().ActivateApp(true);
    EXPECT_EQ(GetWindow(form_->Handle(), GW_HWNDPREV), plugin);
    EXPECT_FALSE(IsWindowVisible(Application().Handle()));

    PostMessageA(plugin, WM_APP + 2, 0, 0);
    Pump(200);
    PostMessageA(plugin, WM_CLOSE, 0, 0);
  };
  during.SetEnabled(true);
  Run();
  during.SetEnabled(false);
  EXPECT_TRUE(checked);
  const auto answers = Answers(LogLines());
  const std::string a = "answer 1 " + files_ + "|a.txt|32", b = "answer 1 " + files_ + "|b.txt|32";
  // The second round walks on from where the first stopped.
  EXPECT_EQ(answers, (std::vector<std::string>{a, b, "answer 1 0", "answer 1 0", "answer 1 0", "answer 1 0"}));
  EXPECT_EQ(form_->PluginRunning, 0);
  // Afterwards every one of them works again.
  Pane()->MoveTo(Pane()->FindFirstByText("sub"), 0, 0);
  PressKeys(Pane()->sgBrowser->Handle(), VK_RETURN, {});
  EXPECT_EQ(lstrcmpiA(GetDirPath(1, *Pane()->FolderList).c_str(), (files_ + "\\sub").c_str()), 0);
  PressKeys(Pane()->sgBrowser->Handle(), '4', {VK_CONTROL});
  EXPECT_EQ(CurrentMode, ModeReplacer);
  (void)folderBefore;
}

TEST_F(PluginHost, AWindowLeftBehindAndTwoHundredRunsLeaveNothing) {
  Plugin("test_plugin");
  StartWithPane();
  MarkTxt();
  Control("leave=1\nrequests=1\n");
  Run();
  Pump(100);
  EXPECT_EQ(FindOwnWindow("Test plug-in"), nullptr);
  Control("requests=3,1\n");
  for (int i = 0; i < 200; ++i) {
    Run();
    ASSERT_EQ(GetModuleHandleA((dir_ / "test_plugin.plgn").c_str()), nullptr) << i;
  }
  EXPECT_EQ(PluginStructure.TextBlock, nullptr);
  EXPECT_EQ(CountOf(LogLines(), "StartPlugin"), 200);
}

TEST_F(PluginHost, TheSamplePluginListsAndUnselects) {
  StartWithPane();
  MarkTxt();
  bool driven = false;
  TTimer drive;
  drive.Interval = 100;
  drive.OnTimer = [&] {
    HWND window = FindOwnWindow("Attrelle");
    if (!window || driven) return;
    driven = true;
    Pump(100);
    RECT main;
    GetWindowRect(form_->Handle(), &main);
    SetWindowPos(window, HWND_TOP, main.left + 120, main.top + 120, 0, 0, SWP_NOSIZE);
    HWND list = FindWindowExA(window, nullptr, "ListBox", nullptr);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    char line[MAX_PATH + 20] = "";
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(std::string(line), "----A  " + files_ + "\\a.txt");
    std::string statics;
    for (HWND c = FindWindowExA(window, nullptr, "Static", nullptr); c; c = FindWindowExA(window, c, "Static", nullptr)) {
      char text[MAX_PATH + 20] = "";
      GetWindowTextA(c, text, sizeof text);
      statics += std::string(text) + "|";
    }
    EXPECT_NE(statics.find("2 selected, 2 files"), std::string::npos) << statics;
    EXPECT_NE(statics.find("Settings: " + SettingsFilePath), std::string::npos) << statics;
    Pump(100);
    EXPECT_TRUE(SaveWindowShot(form_->Handle(), ShotPath("pluginhost_sample.bmp")));
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    SendMessageA(FindWindowExA(window, nullptr, "Button", "&Unselect"), BM_CLICK, 0, 0);
    Pump(100);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    SendMessageA(FindWindowExA(window, nullptr, "Button", "Close"), BM_CLICK, 0, 0);
  };
  drive.SetEnabled(true);
  Run("Attrelle");
  EXPECT_TRUE(driven);
  EXPECT_EQ(Marked(), 1);
  EXPECT_EQ(GetFirstSelectedName(*Pane()->FolderList), "a.txt");
}

}  // namespace
