#pragma once
#include <functional>
#include <memory>
#include <string>

#include "framework/Menus.h"
#include "framework/StringList.h"

// HKEY_CURRENT_USER key of the title cache: one subkey per plug-in file name.
inline constexpr const char* PluginTitleCacheKey = "Software\\Tarnwick\\Kelvo\\Utilities";
inline constexpr size_t MaxPlugins = 10;

// Full paths of the listed plug-ins, entry k for the k-th item added; made by
// the first FindPlugins and kept for the run.
extern std::unique_ptr<TStringList> PluginList;

using TPluginClick = std::function<void(TMenuItem& item)>;

// Once per run: lists the "*.plgn" files of the current folder in the menu.
void FindPlugins(TMenuItem& menu, const TPluginClick& onClick);
// One plug-in: its cached title, else the title its library gives.
void AddPluginMenuItem(const std::string& folder, const std::string& fileName, TMenuItem& menu,
                       const TPluginClick& onClick);
// Appends the item (shortcut Ctrl+Shift+digit, the digit its place in the
// list) and the list entry.
void AddPluginItem(const std::string& title, const std::string& folder, const std::string& fileName,
                   TMenuItem& menu, const TPluginClick& onClick);
// "" when the key or the value is missing.
std::string ReadPluginTitleCache(const std::string& fileName);
void WritePluginTitleCache(const std::string& fileName, const std::string& title);
