#include "windows/Settings.h"

#include <algorithm>

#include "core/FileList.h"
#include "core/FileUtils.h"
#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "framework/IniFile.h"
#include "windows/MainForm.h"
#include "windows/Startup.h"

uint32_t LayoutOptions = DefaultLayout;
int32_t ShowTips = 1;
int32_t RestoredMode = ModeBrowser;
int32_t CurrentMode = 0;
uint8_t ToolsInRightSide = 1;
bool MustSwapPanels = false;
std::array<int32_t, 5> MainColorIndexes{};
TOrv_RingList MaskSelectionRing;
TOrv_RingList BrowserFiltersRing;

namespace {

constexpr const char* kMain = "MainForm";
constexpr const char* kBrowser = "Browser";
constexpr int DefaultWidth = 700, DefaultHeight = 550;
constexpr int DefaultSplitterRatio = 5000;

std::string ColorKey(size_t i) { return "MainColor" + std::to_string(i + 1); }

int WindowStatus(HWND hwnd) {
  if (IsIconic(hwnd)) return 2;
  if (IsZoomed(hwnd)) return 3;
  return 1;
}

// Every section, in the order a new file then shows.
void WriteSettingsSections(TMainForm& f) {
  SaveToolSettings();
  if (f.LeftBrowser) f.LeftBrowser->SaveSettings("BROWSER_LEFT");
  if (f.RightBrowser) f.RightBrowser->SaveSettings("BROWSER_RIGHT");
  TIniFile ini(SettingsFilePath);
  const int status = WindowStatus(f.Handle());
  if (status == 1) {
    RECT r;
    GetWindowRect(f.Handle(), &r);
    ini.WriteInteger(kMain, "Top", r.top);
    ini.WriteInteger(kMain, "Left", r.left);
    ini.WriteInteger(kMain, "Width", r.right - r.left);
    ini.WriteInteger(kMain, "Height", r.bottom - r.top);
  }
  if (CurrentMode == ModeBrowser && f.IsPane(ActivePanel)) ToolsInRightSide = ActivePanel == f.LeftBrowser;
  ini.WriteInteger(kMain, "ToolsInRightSide", ToolsInRightSide);
  ini.WriteInteger(kMain, "CurrentMode", CurrentMode);
  ini.WriteInteger(kMain, "Status", status);
  ini.WriteInteger(kMain, "Layout", static_cast<int>(LayoutOptions));
  ini.WriteString(kMain, "Viewer", ViewerPath);
  ini.WriteString(kMain, "Editor", EditorPath);
  ini.WriteInteger(kMain, "MustSwapPanels", MustSwapPanels ? 1 : 0);
  ini.WriteInteger(kMain, "VerticalSplitter", f.SplitterMain->Ratio());
  ini.WriteInteger(kMain, "GeneralCheckContainer", static_cast<int>(GeneralCheckContainer));
  ini.WriteInteger(kMain, "ShowTips", ShowTips);
  if (FilesFont) {
    ini.WriteString(kBrowser, "FilesFontName", FilesFont->Name);
    ini.WriteInteger(kBrowser, "FilesFontSize", FilesFont->Size);
    ini.WriteInteger(kBrowser, "FilesFontStyle", StyleToBits(*FilesFont));
  }
  SaveRingList(ini, MaskSelectionRing, kMain, "MASK_SELECTION");
  SaveRingList(ini, BrowserFiltersRing, kMain, "BROWSER_FILTRES");
  for (size_t i = 0; i < MainColorIndexes.size(); ++i) ini.WriteInteger(kMain, ColorKey(i), MainColorIndexes[i]);
}

}  // namespace

RECT SaneWindowBounds(int left, int top, int width, int height) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  RECT work{0, 0, sw, sh};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (width < 1) width = std::min(DefaultWidth, sw);
  if (height < 1) height = std::min(DefaultHeight, sh);
  width = std::min<int>(width, work.right - work.left);
  height = std::min<int>(height, work.bottom - work.top);
  // The caption must stand on some screen, or the user cannot move the window.
  const RECT caption{left, top, left + width, top + GetSystemMetrics(SM_CYCAPTION)};
  if (!MonitorFromRect(&caption, MONITOR_DEFAULTTONULL)) {
    left = (sw - width) / 2;
    top = (sh - height) / 2;
  }
  return {left, top, left + width, top + height};
}

void ReadAllSettings() {
  TMainForm& f = *MainForm;
  const TIniFile ini(SettingsFilePath);
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  const int w = std::min(DefaultWidth, sw), h = std::min(DefaultHeight, sh);
  const int status = ini.ReadInteger(kMain, "Status", 0);
  const int top = ini.ReadInteger(kMain, "Top", (sh - h) / 2);
  const int left = ini.ReadInteger(kMain, "Left", (sw - w) / 2);
  const RECT r =
      SaneWindowBounds(left, top, ini.ReadInteger(kMain, "Width", w), ini.ReadInteger(kMain, "Height", h));
  f.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (status == 2) PostMessageA(f.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  if (status == 3) PostMessageA(f.Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);

  CurrentMode = 0;
  ToolsInRightSide = ini.ReadInteger(kMain, "ToolsInRightSide", 1) != 0;
  RestoredMode = ini.ReadInteger(kMain, "CurrentMode", ModeBrowser);
  if (RestoredMode < 1 || RestoredMode > static_cast<int32_t>(f.ActionModes.Actions().size()))
    RestoredMode = ModeBrowser;

  LayoutOptions = static_cast<uint32_t>(ini.ReadInteger(kMain, "Layout", DefaultLayout));
  ViewerPath = ini.ReadString(kMain, "Viewer", "notepad.exe");
  EditorPath = ini.ReadString(kMain, "Editor", "notepad.exe");
  MustSwapPanels = ini.ReadBool(kMain, "MustSwapPanels", false);
  int ratio = ini.ReadInteger(kMain, "VerticalSplitter", f.SplitterMain->Ratio());
  if (ratio < 0 || ratio > 10000) ratio = DefaultSplitterRatio;
  f.SplitterMain->SetRatio(ratio);
  GeneralCheckContainer =
      static_cast<uint32_t>(ini.ReadInteger(kMain, "GeneralCheckContainer", DefaultGeneralOptions));
  ShowTips = ini.ReadInteger(kMain, "ShowTips", 1);

  LoadRingList(ini, MaskSelectionRing, kMain, "MASK_SELECTION");
  LoadRingList(ini, BrowserFiltersRing, kMain, "BROWSER_FILTRES");
  for (size_t i = 0; i < MainColorIndexes.size(); ++i)
    MainColorIndexes[i] = ini.ReadInteger(kMain, ColorKey(i), 0);
  MainColorsFromIndexes();
}

void MainColorsFromIndexes() {
  for (size_t i = 0; i < MainColorIndexes.size(); ++i)
    MainColors[i] = MainColorValue(MainColorIndexes[i], static_cast<int>(i) + 1);
}

bool WriteAllSettings() {
  bool ok;
  {
    TIniPass pass(SettingsFilePath);
    WriteSettingsSections(*MainForm);
    ok = pass.Commit();
  }
  WriteProgramSetting("LanguageId", Translator().LanguageFileName);
  return ok;
}

void ApplyLayoutOptions() {
  TMainForm& f = *MainForm;
  const uint32_t bits = LayoutOptions;
  f.pnlTbMain->SetVisible(bits & LayoutMainToolbar);
  f.mnuMainToolbar->Checked = bits & LayoutMainToolbar;
  f.ControlBarMain->ArrangeBands();
  f.pnlOperations->SetVisible(bits & LayoutFunctionKeys);
  f.pnlRightJumpButtons->SetVisible(!(bits & LayoutDriveCombo));
  f.pnlInfo->SetVisible(!(bits & LayoutDriveCombo));
  SetToolsAlignPanel(bits);
  f.pnlTop->SetVisible(bits & LayoutSharedDriveBar);
  for (TBrowserForm* pane : {f.LeftBrowser, f.RightBrowser})
    if (pane) pane->ApplyLayout(bits);
  f.EvenPaneTops();
}

int StyleToBits(const TFont& font) {
  return (font.Bold ? 1 : 0) | (font.Italic ? 2 : 0) | (font.Underline ? 4 : 0) | (font.StrikeOut ? 8 : 0);
}
