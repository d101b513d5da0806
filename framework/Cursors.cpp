#include "framework/Cursors.h"

int THourglassCursor::depth_ = 0;
HCURSOR THourglassCursor::saved_ = nullptr;

THourglassCursor::THourglassCursor() {
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (depth_++ == 0) saved_ = old;
}

THourglassCursor::~THourglassCursor() {
  if (--depth_ == 0) SetCursor(saved_);
}

bool THourglassCursor::Keep() {
  if (!Active()) return false;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  return true;
}
