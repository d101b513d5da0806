#pragma once

// The program's start: settings path, command line, texts, language, help
// file, then the main window and the message loop. Returns the exit code.
int RunKelvanto();
