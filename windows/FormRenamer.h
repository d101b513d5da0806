#pragma once
#include "windows/ToolStub.h"

// The renamer tool window, in the main window's tool registry.
class TRenamerForm : public TToolStub {
 public:
  explicit TRenamerForm(TWinControl* owner) : TToolStub(owner, "Renamer", "Rename files", {340, 320, 0, 0}) {}
};
