#pragma once
#include "windows/ToolStub.h"

// The replacer tool window, in the main window's tool registry.
class TReplacerForm : public TToolStub {
 public:
  explicit TReplacerForm(TWinControl* owner)
      : TToolStub(owner, "Replacer", "Replace text in files", {330, 300, 0, 0}) {}
};
