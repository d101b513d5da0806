#pragma once
#include <windows.h>

#include "framework/Controls.h"

// The dialog walk that Tab follows takes a window's children in their window
// order, which is the order they were made in unless moved here.

// Moves a control to just after another child of its parent; HWND_TOP makes
// it the first, HWND_BOTTOM the last.
void PlaceInTabOrder(const TWinControl& control, HWND after);
// Takes a control out of the Tab order: its window style too, which the
// dialog walk reads.
void RemoveTabStop(TWinControl& control);
