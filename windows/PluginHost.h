#pragma once
#include <windows.h>

#include <string>

#include "plugins/Attrelle/PluginInterface.h"

class TMainForm;

// Runs the plug-in library at path: loads it, checks its interface, begins
// the selection walk it asks for, calls it, and unloads it; a failure is told
// in a message box. The panes are reread afterwards.
void RunPlugin(TMainForm& form, const std::string& path);

// Serves one WM_KVT_REQUEST; a request outside a run, or with contents that
// do not hold, is ignored.
void ServePluginRequest(TMainForm& form, WPARAM request, LPARAM param);

// While a plug-in runs: the main window goes directly behind the plug-in's
// window when that is the foreground one, and the application window stays
// hidden. Called on each activation, minimise and restore.
void KeepPluginWindowOrder(TMainForm& form);

// Whether [p, p + size) lies in committed memory that may be read.
bool IsReadableMemory(const void* p, size_t size);
