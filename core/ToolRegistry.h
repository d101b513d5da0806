#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/FileList.h"
#include "framework/Forms.h"

// What every tool window answers, so that the main window never needs its
// class. The three operations of the system's base interface come first, as
// the slots are counted; the windows count no references.
// {70F7F472-2074-4CA4-A9D6-7DF8DB805CB2}
inline constexpr GUID IID_ITool = {0x70F7F472, 0x2074, 0x4CA4, {0xA9, 0xD6, 0x7D, 0xF8, 0xDB, 0x80, 0x5C, 0xB2}};

class ITool : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  virtual void InitGlyphs() = 0;
  // Stores its built-in English texts from its base id.
  virtual void RegisterDefaultTexts(int32_t id) = 0;
  virtual void ApplyTexts(int32_t id) = 0;
  virtual void LoadSettings() = 0;
  virtual void SaveSettings() = 0;
  // Whether it can start on the list; also enables its own Start button.
  virtual bool CanStart(TstateOfBrowser* list) = 0;
  // Clicks its Start button when that is enabled.
  virtual void StartOperation() = 0;
  virtual void ShowHelp() = 0;
  virtual void SetAlignPanelVisible(bool visible) = 0;

 protected:
  ~ITool() = default;
};

// The tool interface of a window, or nullptr when it has none.
ITool* ToolOf(TWinControl* window);

// One registered tool window.
class TTool {
 public:
  using TFormMaker = std::function<TForm*(TWinControl* owner)>;
  // Makes the window borderless, filling the panel, and registers it with the
  // next mode number; the panel owns the window.
  static TTool* Create(TWinControl* parent, TAction* action, int32_t id, const TFormMaker& makeForm);

  int32_t id = 0;
  TForm* form = nullptr;
  int32_t mode = 0;
  std::string caption;
  std::string hint;
  TAction* action = nullptr;
};

// The registered tools in the order of registration.
extern std::vector<std::unique_ptr<TTool>> ToolRegistry;
// The size limits shared by the docked tools (made by UnifyToolConstraints).
extern TSizeConstraints ToolConstraints;
// The pane or tool window that last received the focus.
extern TWinControl* ActivePanel;

// Forgets every tool: their windows are going with the main window.
void ClearToolRegistry();
void UnifyToolConstraints();
void ApplyToolTexts();
void SaveToolSettings();
void LoadToolSettings();
bool CanStartTool(int32_t mode, TstateOfBrowser* list);
void ShowToolOfMode(int32_t mode);
TForm* GetToolForm(int32_t mode);
void StartToolOperation(int32_t mode);
// True when a tool took the request; the caller then shows no help of its own.
bool ShowToolHelp(int32_t mode);
// Bit 0x20 of the layout word shows the tools' alignment panels.
void SetToolsAlignPanel(uint32_t layout);
