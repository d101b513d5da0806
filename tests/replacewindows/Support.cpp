#include "ReplaceWindowsTest.h"

#include <cstring>
#include <map>

#include "core/Selection.h"
#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "support/BuildFolders.h"
#include "windows/Settings.h"
#include "windows/Startup.h"

void PressKey(HWND target, WORD vk, unsigned shift) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = (shift & ssCtrl) ? 0x80 : 0;
  keys[VK_MENU] = (shift & ssAlt) ? 0x80 : 0;
  keys[VK_SHIFT] = (shift & ssShift) ? 0x80 : 0;
  SetKeyboardState(keys);
  const UINT down = (shift & ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN;
  const UINT up = (shift & ssAlt) ? WM_SYSKEYUP : WM_KEYUP;
  const LPARAM altBit = (shift & ssAlt) ? 0x20000000 : 0;
  PostMessageA(target, down, vk, 1 | altBit);
  PostMessageA(target, up, vk, 0xC0000001 | altBit);
  Pump(40);
  keys[VK_CONTROL] = keys[VK_MENU] = keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

void TypeText(HWND target, const std::string& text) {
  char cls[32] = "";
  GetClassNameA(target, cls, sizeof cls);
  if (lstrcmpiA(cls, "ComboBox") == 0)
    if (HWND edit = FindWindowExA(target, nullptr, "Edit", nullptr)) target = edit;
  for (char ch : text) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(ch), 1);
  Pump(30);
}

void Click(TWinControl& c) {
  SendMessageA(c.Handle(), BM_CLICK, 0, 0);
  Pump(20);
}

std::string ShotPath(const std::string& name) { return TestProgramFolder() + name; }

namespace {

struct TInside {
  explicit TInside(bool& flag) : flag_(flag) { flag_ = true; }
  ~TInside() { flag_ = false; }
  bool& flag_;
};

struct TFound {
  TViewRenReplacer* viewer = nullptr;
  HWND box = nullptr;
};

BOOL CALLBACK LookAt(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<TFound*>(p);
  if (!IsWindowVisible(w)) return TRUE;
  char cls[16] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (strcmp(cls, "#32770") == 0) f->box = w;
  if (auto* v = dynamic_cast<TViewRenReplacer*>(TWinControl::FromHandle(w))) f->viewer = v;
  return TRUE;
}

TFound Look() {
  TFound f;
  EnumThreadWindows(GetCurrentThreadId(), &LookAt, reinterpret_cast<LPARAM>(&f));
  return f;
}

}  // namespace

TViewRenReplacer* OpenViewer() { return Look().viewer; }
HWND OpenMessageBox() { return Look().box; }

std::string BoxText(HWND box) {
  std::string text;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[16] = "", t[512] = "";
    GetClassNameA(c, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) continue;
    GetWindowTextA(c, t, sizeof t);
    if (!*t) continue;
    if (!text.empty()) text += "|";
    text += t;
  }
  return text;
}

std::vector<std::vector<std::string>> GridRows(const TStringGrid& grid, int first) {
  std::vector<std::vector<std::string>> rows;
  for (int r = first; r < grid.RowCount; ++r) rows.push_back(grid.Rows(r));
  return rows;
}

TTestPane::TTestPane(const std::string& folder) : folder_(folder) {
  view_.ModeFlags = ModeBasketView | ModeLeftView;
  SelectionHost = this;
  Mark({});
}

TTestPane::~TTestPane() { SelectionHost = nullptr; }

void TTestPane::Mark(const std::vector<std::string>& names) {
  pane_ = std::make_unique<TPaneList>();
  EXPECT_TRUE(pane_->Open(folder_));
  std::map<std::string, uint32_t> opened;
  for (const std::string& n : names) {
    if (n.find('*') != std::string::npos) {
      SelectByMask(1, n, true, pane_->list);
      continue;
    }
    // "folder\name": the folder opens in the tree, as in the tree mode.
    uint32_t dir = 1;
    std::string name = n;
    if (const size_t cut = n.find('\\'); cut != std::string::npos) {
      const std::string folder = n.substr(0, cut);
      if (!opened.count(folder)) opened[folder] = uint32_t(pane_->Toggle(1, folder.c_str()));
      dir = opened[folder];
      name = n.substr(cut + 1);
    }
    const uint32_t pos = pane_->Find(dir, name.c_str());
    EXPECT_NE(pos, 0u) << n;
    ChangeItemSelection(dir, int32_t(pos) + 1, pane_->list, SelSet, true);  // row 1 is "[..]"
  }
  UpdateListTotals(pane_->list);
  UpdateStartAction();
}

bool TTestPane::Marked(const std::string& name) {
  const uint32_t pos = pane_->Find(1, name.c_str());
  return pos && IsFileSelected(1, pos, pane_->list);
}

void ReplaceWindows::SetUp() {
  Translator().ClearTranslations();
  RegisterSharedTexts();
  SettingsFilePath = Ini();
  ASSERT_TRUE(WriteTestFile(Ini(), "[MainForm]\r\nShowTips=0\r\n"));
  form_ = std::make_unique<TMainForm>();
  Application().MainForm = form_.get();
  form_->Show();
  SetForegroundWindow(form_->Handle());
  Pump(100);
  pane_ = std::make_unique<TTestPane>(data_.Path());
}

void ReplaceWindows::TearDown() {
  pane_.reset();
  form_.reset();
  Application().MainForm = nullptr;
  Pump(20);
}

void ReplaceWindows::SwitchMode(char digit) {
  PressKey(form_->Handle(), static_cast<WORD>(digit), ssCtrl);
  Pump(50);
}

TReplacerForm& ReplaceWindows::Replacer() {
  auto* f = dynamic_cast<TReplacerForm*>(GetToolForm(ModeReplacer));
  EXPECT_NE(f, nullptr);
  return *f;
}

TBatchReplacerForm& ReplaceWindows::Batch() {
  auto* f = dynamic_cast<TBatchReplacerForm*>(GetToolForm(ModeBatchReplacer));
  EXPECT_NE(f, nullptr);
  return *f;
}

bool ReplaceWindows::RunViewer(TButton& start, TViewerSeen& seen,
                               const std::function<void(TViewRenReplacer&)>& finished,
                               const std::function<bool(TViewRenReplacer&)>& running) {
  bool came = false, closed = false, looked = false, inside = false;
  TTimer look;
  look.Interval = 20;
  look.OnTimer = [&] {
    TViewRenReplacer* v = OpenViewer();
    // A look that pumps messages itself must not start another.
    if (!v || closed || inside || OpenMessageBox()) return;
    TInside in(inside);
    came = true;
    if (!v->Finished) {
      if (running && !looked) looked = running(*v);
      return;
    }
    const std::string status = v->pnlFilesComment->Caption();
    if (status != Tx(14) && status != Tx(152)) return;  // its end is not told yet
    seen.Caption = v->Caption();
    seen.Status = v->pnlFilesComment->Caption();
    seen.StatusColour = ColorToRGB(v->pnlFilesComment->Font().Color);
    seen.Rows = GridRows(*v->sgInfo, 1);
    seen.Summary = GridRows(*v->sgStatus, 0);
    if (finished) finished(*v);
    closed = true;
    PostMessageA(v->sgInfo->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  };
  look.SetEnabled(true);
  PostMessageA(start.Handle(), BM_CLICK, 0, 0);
  const bool gone = PumpUntil([&] { return closed && !OpenViewer(); }, 60000);
  look.SetEnabled(false);
  return came && gone;
}

TStandin::TStandin() {
  FailCalls("");
  Register();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

TStandin::~TStandin() {
  CoUninitialize();
  Unregister();
}
