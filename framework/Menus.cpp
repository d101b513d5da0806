#include "framework/Menus.h"

#include <map>


namespace {

std::map<UINT, TMenuItem*>& LiveItems() {
  static std::map<UINT, TMenuItem*> items;
  return items;
}

UINT NextCommandId() {
  static UINT next = 0x100;
  if (++next >= 0xF000) next = 0x101;  // keep clear of system commands
  while (LiveItems().count(next)) ++next;
  return next;
}

struct TKeyName {
  WORD key;
  const char* name;
};
constexpr TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},      {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"},  {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
    {VK_ADD, "Num +"},  {VK_SUBTRACT, "Num -"}, {VK_MULTIPLY, "Num *"},
};

}  // namespace

TShortCut ShortCutOfKey(WORD key) {
  TShortCut sc = key & 0xFF;
  if (GetKeyState(VK_SHIFT) < 0) sc |= scShift;
  if (GetKeyState(VK_CONTROL) < 0) sc |= scCtrl;
  if (GetKeyState(VK_MENU) < 0) sc |= scAlt;
  return sc;
}

std::string KeyCharacters(WORD key) {
  BYTE state[256];
  if (!GetKeyboardState(state)) return {};
  // With Ctrl and Alt down the layout gives control codes or AltGr letters.
  state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_RCONTROL] = 0;
  state[VK_MENU] = state[VK_LMENU] = state[VK_RMENU] = 0;
  WORD chars[2] = {};
  const int n = ToAscii(key, MapVirtualKeyA(key, MAPVK_VK_TO_VSC), state, chars, 0);
  std::string s;
  for (int i = 0; i < n && i < 2; ++i) s += static_cast<char>(chars[i] & 0xFF);
  return s;
}

std::string ShortCutToText(TShortCut sc) {
  if (!sc) return {};
  std::string s;
  if (sc & scCtrl) s += "Ctrl+";
  if (sc & scShift) s += "Shift+";
  if (sc & scAlt) s += "Alt+";
  const WORD key = sc & 0xFF;
  if (key >= VK_F1 && key <= VK_F24) return s + 'F' + std::to_string(key - VK_F1 + 1);
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return s + static_cast<char>(key);
  for (const auto& k : kKeyNames)
    if (k.key == key) return s + k.name;
  char name[32] = "";
  GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16, name, sizeof name);
  return s + name;
}

bool TAction::Execute() {
  Update();
  if (!Enabled || !OnExecute) return false;
  OnExecute();
  return true;
}

TAction* TActionList::Add(const std::string& caption, TShortCut sc, std::function<void()> onExecute) {
  auto a = std::make_unique<TAction>();
  a->Caption = caption;
  a->ShortCut = sc;
  a->OnExecute = std::move(onExecute);
  actions_.push_back(std::move(a));
  return actions_.back().get();
}

bool TActionList::IsShortCut(TShortCut sc) {
  for (auto& a : actions_)
    if (a->ShortCut == sc) {
      a->Update();
      if (a->Enabled) return a->Execute();
    }
  return false;
}

TMenuItem::TMenuItem() : id_(NextCommandId()) { LiveItems()[id_] = this; }

TMenuItem::~TMenuItem() { LiveItems().erase(id_); }

TMenuItem* TMenuItem::Add(const std::string& caption, std::function<void()> onClick, TShortCut sc) {
  auto item = std::make_unique<TMenuItem>();
  item->Caption = caption;
  item->OnClick = std::move(onClick);
  item->ShortCut = sc;
  items_.push_back(std::move(item));
  return items_.back().get();
}

void TMenuItem::Delete(size_t index) {
  if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TMenuItem::Click() {
  if (Action) {
    Action->Execute();
  } else if (OnClick) {
    OnClick();
  }
}

HMENU TMenuItem::BuildMenu(bool popup) const {
  HMENU m = popup ? CreatePopupMenu() : CreateMenu();
  if (!m) return nullptr;
  // The popup knows its item by command id, which outlives no item.
  MENUINFO info{sizeof info, MIM_MENUDATA, 0, 0, nullptr, 0, id_};
  SetMenuInfo(m, &info);
  FillMenu(m);
  return m;
}

void TMenuItem::InitPopup(HMENU popup) {
  MENUINFO info{sizeof info, MIM_MENUDATA, 0, 0, nullptr, 0, 0};
  if (!GetMenuInfo(popup, &info)) return;
  auto found = LiveItems().find(static_cast<UINT>(info.dwMenuData));
  if (found == LiveItems().end()) return;
  if (found->second->OnPopup) found->second->OnPopup();
  while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
  found->second->FillMenu(popup);
}

void TMenuItem::FillMenu(HMENU m) const {
  for (const auto& it : items_) {
    if (it->Action) it->Action->Update();
    const bool visible = it->Action ? it->Action->Visible : it->Visible;
    if (!visible) continue;
    std::string text = it->Action && it->Caption.empty() ? it->Action->Caption : it->Caption;
    if (text == "-") {
      AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const TShortCut sc = it->Action && !it->ShortCut ? it->Action->ShortCut : it->ShortCut;
    if (sc) text += '\t' + ShortCutToText(sc);
    const bool enabled = it->Action ? it->Action->Enabled : it->Enabled;
    const bool checked = it->Action ? it->Action->Checked : it->Checked;
    UINT flags = MF_STRING | (enabled ? 0 : MF_GRAYED) | (checked ? MF_CHECKED : 0);
    UINT_PTR id = it->id_;
    if (it->Count()) {
      flags |= MF_POPUP;
      id = reinterpret_cast<UINT_PTR>(it->BuildMenu(true));
    }
    AppendMenuA(m, flags, id, text.c_str());
    if (it->Bitmap()) {
      MENUITEMINFOA mi{};
      mi.cbSize = sizeof mi;
      mi.fMask = MIIM_BITMAP;
      mi.hbmpItem = it->Bitmap();
      SetMenuItemInfoA(m, static_cast<UINT>(GetMenuItemCount(m) - 1), TRUE, &mi);
    }
    if (it->Default) SetMenuDefaultItem(m, it->id_, FALSE);
  }
}

// An item with nothing to run leaves its key to the focused control.
bool TMenuItem::IsShortCut(TShortCut sc) {
  for (auto& it : items_) {
    const TShortCut own = it->Action && !it->ShortCut ? it->Action->ShortCut : it->ShortCut;
    const bool acts = it->Action ? static_cast<bool>(it->Action->OnExecute) : static_cast<bool>(it->OnClick);
    if (own == sc && acts && (it->Action ? (it->Action->Update(), it->Action->Enabled) : it->Enabled)) {
      it->Click();
      return true;
    }
    if (it->IsShortCut(sc)) return true;
  }
  return false;
}

bool TMenuItem::DispatchCommand(UINT id) {
  auto found = LiveItems().find(id);
  if (found == LiveItems().end()) return false;
  found->second->Click();
  return true;
}

// The window's menu is ours to free: it is taken off the window first, since
// a window frees the menu it still has when it goes.
TMainMenu::~TMainMenu() {
  if (form_ && IsWindow(form_) && GetMenu(form_) == bar_.Get()) SetMenu(form_, nullptr);
}

void TMainMenu::Attach(HWND form) {
  if (!ShowBar) return;
  if (form_ && form_ != form && IsWindow(form_) && GetMenu(form_) == bar_.Get()) SetMenu(form_, nullptr);
  form_ = form;
  TMenuHandle bar(Items.BuildMenu(false));
  SetMenu(form, bar.Get());
  bar_ = std::move(bar);  // the old bar goes once the window no longer shows it
  DrawMenuBar(form);
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
  if (OnPopup) OnPopup();
  const TMenuHandle m(Items.BuildMenu(true));
  HWND w = owner ? owner : GetActiveWindow();
  const UINT id = static_cast<UINT>(TrackPopupMenu(m.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, w, nullptr));
  if (id) TMenuItem::DispatchCommand(id);
}
