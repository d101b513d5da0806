#pragma once
#include "windows/ToolStub.h"

// The finder tool window, in the main window's tool registry.
class TFinderForm : public TToolStub {
 public:
  explicit TFinderForm(TWinControl* owner) : TToolStub(owner, "Finder", "Find files", {330, 300, 0, 0}) {}
};
