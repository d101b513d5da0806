#include "windows/TabOrder.h"

void PlaceInTabOrder(const TWinControl& control, HWND after) {
  SetWindowPos(control.Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void RemoveTabStop(TWinControl& control) {
  control.TabStop = false;
  SetWindowLongPtrA(control.Handle(), GWL_STYLE, GetWindowLongPtrA(control.Handle(), GWL_STYLE) & ~WS_TABSTOP);
}
