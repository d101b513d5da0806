#pragma once
#include <windows.h>

#include <string>

#include "framework/Graphics.h"

enum TOpenOption : unsigned {
  ofReadOnly = 1,  // the read-only box: ticked at the start, and as the user left it
  ofOverwritePrompt = 2,
  ofHideReadOnly = 4,
  ofNoChangeDir = 8,
  ofFileMustExist = 16,
  ofPathMustExist = 32,
  ofEnableSizing = 64,
  ofCreatePrompt = 128,
  ofNoReadOnlyReturn = 256,
};

// The system's open dialog. Filter holds pairs of a description and its
// masks, all parted by "|": "Table file (*.rtbl)|*.rtbl|All files|*.*".
class TOpenDialog {
 public:
  virtual ~TOpenDialog() = default;
  std::string Title, Filter, DefaultExt, InitialDir, FileName;
  int FilterIndex = 1;  // from 1, as the dialog counts
  unsigned Options = ofHideReadOnly | ofEnableSizing;
  // Modal to owner (the active window when nullptr); true when the user
  // chose a file, which FileName then holds.
  bool Execute(HWND owner = nullptr);

 protected:
  virtual BOOL Run(OPENFILENAMEA& ofn) { return GetOpenFileNameA(&ofn); }
};

// The system's save dialog, with the open dialog's fields.
class TSaveDialog : public TOpenDialog {
 protected:
  BOOL Run(OPENFILENAMEA& ofn) override { return GetSaveFileNameA(&ofn); }
};

// The system's font dialog over a font's name, size, style and colour.
class TFontDialog {
 public:
  TFont Font;
  // True when the user chose a font, which Font then holds.
  bool Execute(HWND owner = nullptr);
};

// A message box modal to the owner's form; without an owner (or with one
// already destroyed) to the thread's active window, so that the box never
// leaves its form usable behind it. The button pressed (IDOK, IDYES, ...), or
// 0 when the box could not be shown.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
