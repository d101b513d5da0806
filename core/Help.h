#pragma once
#include <windows.h>

#include <string>

// Set once at start-up: the language's help file, else the program's kvt.chm.
extern std::string HelpFileName;

constexpr UINT HH_DISPLAY_TOPIC_COMMAND = 0;
constexpr UINT HH_CLOSE_ALL_COMMAND = 18;

// Loads the help control library on the first call only, also when that fails.
void LoadHtmlHelp();
// Forwards one request to the help control; nothing when it is not there.
// A close-all request does not load the library.
HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);
// Whether the library has been loaded.
bool HtmlHelpLoaded();
// Shows a topic ("::/NAME.htm") of the current help file.
void ShowHelpTopic(HWND caller, const std::string& topic);
