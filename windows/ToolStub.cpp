#include "windows/ToolStub.h"

#include "core/translator.h"

TToolStub::TToolStub(TWinControl* owner, const char* caption, const char* hint, TSizeConstraints limits)
    : TForm(owner, TFormBorder::None), caption_(caption), hint_(hint) {
  SetConstraints(limits);
  pnlCaption = new TPanel(this);
  pnlCaption->BevelOuter = TBevelCut::Lowered;
  pnlCaption->SetAlign(TAlign::Client);
  // The panel is the tool's face: it becomes the active panel when entered.
  OnFocusEnter = [this] { ActivePanel = this; };
}

void TToolStub::RegisterDefaultTexts(int32_t id) {
  Translator().AddString(id, caption_);
  Translator().AddString(id + 1, hint_);
}

void TToolStub::ApplyTexts(int32_t id) { pnlCaption->SetCaption(Tx(id)); }
