#pragma once
#include "windows/ToolStub.h"

// The batch replacer tool window, in the main window's tool registry.
class TBatchReplacerForm : public TToolStub {
 public:
  explicit TBatchReplacerForm(TWinControl* owner)
      : TToolStub(owner, "Batch Replacer", "Replace strings in files", {320, 280, 0, 0}) {}
};
