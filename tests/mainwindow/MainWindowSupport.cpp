#include "MainWindowTest.h"

#include <algorithm>

#include "core/FileUtils.h"
#include "core/Plugins.h"
#include "core/translator.h"
#include "framework/StringList.h"
#include "windows/FormBrowser.h"
#include "windows/Startup.h"

namespace {

struct TFind {
  const char* caption;
  int count = 0;
  HWND found = nullptr;
};

BOOL CALLBACK CountWindow(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<TFind*>(p);
  char text[128] = "";
  GetWindowTextA(w, text, sizeof text);
  if (IsWindowVisible(w) && strcmp(text, f->caption) == 0) {
    ++f->count;
    f->found = w;
  }
  return TRUE;
}

TFind FindOwn(const char* caption) {
  TFind f{caption};
  EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&f));
  return f;
}

}  // namespace

std::string ShotPath(const std::string& name) { return ProgramFolder() + name; }

void PressKey(HWND target, WORD vk, bool ctrl) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(keys);
  PostMessageA(target, WM_KEYDOWN, vk, 1);
  PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
  Pump(50);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

void PressKeys(HWND target, WORD vk, const std::vector<int>& modifiers) {
  BYTE keys[256];
  GetKeyboardState(keys);
  for (int m : modifiers) keys[m] = 0x80;
  SetKeyboardState(keys);
  const bool alt = std::find(modifiers.begin(), modifiers.end(), VK_MENU) != modifiers.end();
  PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, alt ? 0x20000001 : 1);
  PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, vk, alt ? 0xE0000001 : 0xC0000001);
  Pump(50);
  for (int m : modifiers) keys[m] = 0;
  SetKeyboardState(keys);
}

HWND FindOwnWindow(const char* caption) { return FindOwn(caption).found; }

std::vector<std::string> SectionLines(const std::string& file, const std::string& section) {
  TStringList lines;
  std::vector<std::string> out;
  if (!lines.LoadFromFile(file)) return out;
  bool inside = false;
  for (const std::string& l : lines) {
    if (!l.empty() && l[0] == '[') {
      inside = l == "[" + section + "]";
      continue;
    }
    if (inside && !l.empty()) out.push_back(l);
  }
  return out;
}

void MainWindow::SetUp() {
  // What the start does once, before the first window.
  static const bool started = [] {
    OleInitialize(nullptr);
    PrepareShellIcons();
    return true;
  }();
  (void)started;
  // The first pane of a run reads the font.
  FilesFont.reset();
  RegDeleteTreeA(HKEY_CURRENT_USER, PluginTitleCacheKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, ProgramRegistryKey);
  PluginList.reset();
  Translator().ClearTranslations();
  Translator().LanguageFileName.clear();
  SettingsFilePath = Ini();
  const std::string sample = ProgramFolder() + "..\\program\\Attrelle.plgn";
  ASSERT_TRUE(CopyFileA(sample.c_str(), (dir_ / "Attrelle.plgn").c_str(), FALSE));
  GetCurrentDirectoryA(MAX_PATH, oldDir_);
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
  tipCloser_.Interval = 40;
  tipCloser_.OnTimer = [this] {
    const TFind tips = FindOwn("The Tip of The Day");
    tipsAtOnce_ = std::max(tipsAtOnce_, tips.count);
    if (!tips.found) return;
    if (tips.found != lastTip_) ++tipsSeen_;
    lastTip_ = tips.found;
    PostMessageA(tips.found, WM_KEYDOWN, VK_ESCAPE, 1);
  };
}

void MainWindow::TearDown() {
  Stop();
  tipCloser_.SetEnabled(false);
  SetCurrentDirectoryA(oldDir_);
  RegDeleteTreeA(HKEY_CURRENT_USER, PluginTitleCacheKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, ProgramRegistryKey);
  PluginList.reset();
  Translator().ClearTranslations();
}

void MainWindow::Start() {
  form_ = std::make_unique<TMainForm>();
  about_ = std::make_unique<TfrmAbout>();
  tipCloser_.SetEnabled(true);
  Application().MainForm = form_.get();
  form_->Show();
  SetForegroundWindow(form_->Handle());
  Pump(300);
}

void MainWindow::Stop() {
  if (!form_) return;
  form_->FormClose();
  about_.reset();
  form_.reset();
  Application().MainForm = nullptr;
  Pump(20);
}
