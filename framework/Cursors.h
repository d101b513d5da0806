#pragma once
#include <windows.h>

// Shows the hourglass for the life of the object. Scopes nest: the cursor of
// the outermost one comes back when it ends. While one is open our windows
// keep the hourglass when the pointer moves over them.
class THourglassCursor {
 public:
  THourglassCursor();
  ~THourglassCursor();
  THourglassCursor(const THourglassCursor&) = delete;
  THourglassCursor& operator=(const THourglassCursor&) = delete;

  static bool Active() { return depth_ > 0; }
  // For WM_SETCURSOR: true when a scope is open and the hourglass was set.
  static bool Keep();

 private:
  static int depth_;
  static HCURSOR saved_;
};
