#pragma once
#include <functional>
#include <string>

#include "core/ProgramKey.h"

// The settings file's full path, fixed once at start for every reader and writer.
extern std::string SettingsFilePath;

// A REG_SZ value of the program key; "" when key or value cannot be read.
std::string ReadProgramSetting(const std::string& name);
// Creates the key when missing; failures are swallowed.
void WriteProgramSetting(const std::string& name, const std::string& text);

// One token of commandLine from the 1-based position; true when anything
// but blanks follows it (position then stands on it).
bool GetFirstParam(std::string& token, size_t& position, const std::string& commandLine);
void ApplyCommandLine();

// The help file for a run: the language's own help beside the program when
// it exists, else kvt.chm there.
std::string ChooseHelpFile(const std::string& programFolder, const std::string& languageFileName);

// Everything the start does before the first window: settings path, command
// line, shared texts, language and help file.
void PrepareStartup();

// The icon reader's extension list, then the shell's image list and folder
// indexes: made once, before the first window, or the panes draw no file
// icons.
void PrepareShellIcons();

// Runs the program's body as its last line of defence: anything it throws
// ends the program with exit code 1 and a message box that gives the reason.
int RunGuarded(const std::function<int()>& run);

// The whole start, then the main window and the message loop; the exit code.
int RunKelvanto();
