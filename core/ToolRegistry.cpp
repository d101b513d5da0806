#include "core/ToolRegistry.h"

#include <algorithm>

#include "core/translator.h"

std::vector<std::unique_ptr<TTool>> ToolRegistry;
TSizeConstraints ToolConstraints;
TWinControl* ActivePanel = nullptr;

HRESULT STDMETHODCALLTYPE ITool::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualGUID(iid, IID_ITool) || IsEqualGUID(iid, IID_IUnknown)) {
    *out = this;
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ITool* ToolOf(TWinControl* window) { return dynamic_cast<ITool*>(window); }

namespace {

// Every registered tool whose window answers the tool interface.
template <typename F>
void ForEachTool(F&& f) {
  for (const auto& t : ToolRegistry)
    if (ITool* tool = ToolOf(t->form)) f(*t, *tool);
}

// The tools of one mode; mode 1 (the browser) and unknown modes have none.
template <typename F>
void ForToolsOfMode(int32_t mode, F&& f) {
  ForEachTool([&](TTool& t, ITool& tool) {
    if (t.mode == mode) f(t, tool);
  });
}

}  // namespace

TTool* TTool::Create(TWinControl* parent, TAction* action, int32_t id, const TFormMaker& makeForm) {
  TForm* form = makeForm(parent);
  form->SetBounds(0, 0, form->Width(), form->Height());
  form->SetAlign(TAlign::Client);
  auto t = std::make_unique<TTool>();
  t->id = id;
  t->form = form;
  t->mode = static_cast<int32_t>(ToolRegistry.size()) + 2;
  if (ITool* tool = ToolOf(form)) {
    tool->RegisterDefaultTexts(id);
    tool->InitGlyphs();
  }
  t->action = action;
  ToolRegistry.push_back(std::move(t));
  return ToolRegistry.back().get();
}

void ClearToolRegistry() {
  ToolRegistry.clear();
  ToolConstraints.Clear();
  ActivePanel = nullptr;
}

void UnifyToolConstraints() {
  int minW = 0, minH = 0;
  ForEachTool([&](TTool& t, ITool&) {
    minW = std::max(minW, t.form->Constraints().MinWidth);
    minH = std::max(minH, t.form->Constraints().MinHeight);
    t.form->SetConstraints({});
  });
  ToolConstraints = {minW, minH, minW, 0};
}

void ApplyToolTexts() {
  ForEachTool([](TTool& t, ITool& tool) {
    tool.ApplyTexts(t.id);
    t.caption = Tx(t.id);
    t.hint = Tx(t.id + 1);
    if (t.action) {
      t.action->Caption = t.caption;
      t.action->Hint = t.hint;
    }
  });
}

void SaveToolSettings() {
  ForEachTool([](TTool&, ITool& tool) { tool.SaveSettings(); });
}

void LoadToolSettings() {
  ForEachTool([](TTool&, ITool& tool) { tool.LoadSettings(); });
}

bool CanStartTool(int32_t mode, TstateOfBrowser* list) {
  bool can = false;
  ForToolsOfMode(mode, [&](TTool&, ITool& tool) { can = tool.CanStart(list); });
  return can;
}

void ShowToolOfMode(int32_t mode) {
  ForEachTool([&](TTool& t, ITool&) { t.form->SetVisible(t.mode == mode); });
}

TForm* GetToolForm(int32_t mode) {
  TForm* found = nullptr;
  ForToolsOfMode(mode, [&](TTool& t, ITool&) { found = t.form; });
  return found;
}

void StartToolOperation(int32_t mode) {
  ForToolsOfMode(mode, [](TTool&, ITool& tool) { tool.StartOperation(); });
}

bool ShowToolHelp(int32_t mode) {
  bool taken = false;
  ForToolsOfMode(mode, [&](TTool&, ITool& tool) {
    tool.ShowHelp();
    taken = true;
  });
  return taken;
}

void SetToolsAlignPanel(uint32_t layout) {
  ForEachTool([&](TTool&, ITool& tool) { tool.SetAlignPanelVisible((layout & 0x20) != 0); });
}
