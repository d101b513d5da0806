#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/RingList.h"
#include "framework/Graphics.h"

// The program-wide settings of kvt.ini's [MainForm] while the program runs.

// Bits of the "Layout" word.
constexpr uint32_t LayoutMainToolbar = 0x001;
constexpr uint32_t LayoutFunctionKeys = 0x002;
constexpr uint32_t LayoutPaneDriveBars = 0x004;
constexpr uint32_t LayoutDriveCombo = 0x008;
constexpr uint32_t LayoutHeaders = 0x010;
constexpr uint32_t LayoutCurrentFolder = 0x020;
constexpr uint32_t LayoutStatusLine = 0x040;
constexpr uint32_t LayoutSharedDriveBar = 0x080;
constexpr uint32_t LayoutNoBasketLine = 0x100;
constexpr uint32_t LayoutFlatBasketButton = 0x200;
constexpr uint32_t DefaultLayout = 241;
// Bit of "GeneralCheckContainer": the settings are written at exit.
constexpr uint32_t OptSaveSettings = 0x800;
constexpr uint32_t DefaultGeneralOptions = 31357;

// Modes of the main window.
constexpr int32_t ModeBrowser = 1;
constexpr int32_t ModeFinder = 2;
constexpr int32_t ModeRenamer = 3;
constexpr int32_t ModeReplacer = 4;
constexpr int32_t ModeBatchReplacer = 5;
constexpr int32_t ModeCount = 5;

extern uint32_t LayoutOptions;
// 0: no tip at start; else the index of the tip to show next.
extern int32_t ShowTips;
// The mode that the start restores ("CurrentMode" as read).
extern int32_t RestoredMode;
// The mode shown now; 0 until the first switch.
extern int32_t CurrentMode;
// 1: the left pane is the active one (so a docked tool replaces the right
// pane); kept from the browser mode into the tool modes.
extern uint8_t ToolsInRightSide;
extern bool MustSwapPanels;
// "MainColor1" to "MainColor5": indexes of the colour list.
extern std::array<int32_t, 5> MainColorIndexes;
// The file grids' colours (MainColors) from the indexes.
void MainColorsFromIndexes();
extern TOrv_RingList MaskSelectionRing;
extern TOrv_RingList BrowserFiltersRing;

// Reads [MainForm] into the globals and places the main window.
void ReadAllSettings();
// Writes every section and the language. kvt.ini is replaced whole, in one
// step: a pass that cannot write it leaves it as it was; false then.
bool WriteAllSettings();
// Applies the "Layout" word to the main window, the panes and the tools.
void ApplyLayoutOptions();
// The "FilesFontStyle" value of a font: bold 1, italic 2, underline 4, strike-out 8.
int StyleToBits(const TFont& font);

// The main window's bounds from the values read (absent ones hold their
// defaults: 700 x 550, at most the screen, centred), each made sane: a size
// below 1 takes the default, one beyond the work area is cut to it, and a
// place that leaves the caption off every screen is the centred default.
RECT SaneWindowBounds(int left, int top, int width, int height);
