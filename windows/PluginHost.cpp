#include "windows/PluginHost.h"

#include <cstring>

#include "core/FileUtils.h"
#include "core/SelectedItem.h"
#include "core/SharedTexts.h"
#include "core/translator.h"
#include "framework/Dialogs.h"
#include "windows/MainForm.h"
#include "windows/SelectionWalk.h"
#include "windows/Startup.h"

// The plug-in's records are the walk's own: a plug-in reads them in place.
static_assert(sizeof(KvtPlugin::TSelectedItem) == sizeof(TSelectedItem) &&
              offsetof(KvtPlugin::TSelectedItem, Name) == offsetof(TSelectedItem, Name) &&
              offsetof(KvtPlugin::TSelectedItem, Folder) == offsetof(TSelectedItem, Folder) &&
              offsetof(KvtPlugin::TSelectedItem, Attributes) == offsetof(TSelectedItem, Attributes) &&
              offsetof(KvtPlugin::TSelectedItem, Tag) == offsetof(TSelectedItem, Tag));
static_assert(sizeof(KvtPlugin::TItemUpdate) == sizeof(TItemUpdate) &&
              offsetof(KvtPlugin::TItemUpdate, Flags) == offsetof(TItemUpdate, Flags) &&
              offsetof(KvtPlugin::TItemUpdate, NewName) == offsetof(TItemUpdate, NewName) &&
              offsetof(KvtPlugin::TItemUpdate, Attributes) == offsetof(TItemUpdate, Attributes) &&
              offsetof(KvtPlugin::TItemUpdate, Size) == offsetof(TItemUpdate, Size) &&
              offsetof(KvtPlugin::TItemUpdate, LastWriteTime) == offsetof(TItemUpdate, LastWriteTime));
static_assert(KvtPlugin::UpdRename == iuRename && KvtPlugin::UpdUnselect == iuUnselect &&
              KvtPlugin::UpdAttributes == iuAttributes && KvtPlugin::UpdLastWriteTime == iuLastWriteTime &&
              KvtPlugin::UpdSize == iuSize && KvtPlugin::UpdRemove == iuRemove &&
              KvtPlugin::UpdStatusMask == iuStatusMask);
static_assert(KvtPlugin::NeedNothing == CheckNothing && KvtPlugin::NeedFiles == CheckFiles &&
              KvtPlugin::NeedFolders == CheckFolders);

namespace {

using KvtPlugin::HighestMagicNumber;
using KvtPlugin::ParamLanguageFile;
using KvtPlugin::ParamSettingsFile;
using KvtPlugin::ReqCounts;
using KvtPlugin::ReqNextItem;
using KvtPlugin::ReqResetWalk;
using KvtPlugin::ReqSettingsPath;
using KvtPlugin::ReqUpdateItem;
using KvtPlugin::TGetMagicNumber;
using KvtPlugin::TGetPluginInfo;
using KvtPlugin::TPluginParameters;
using KvtPlugin::TSelectionCounts;
using KvtPlugin::TStartPlugin;
using KvtPlugin::WM_KVT_ANSWER;

// A hung plug-in window must not freeze the main window for longer.
constexpr UINT kAnswerTimeoutMs = 2000;

struct TPluginExports {
  TStartPlugin start = nullptr;
  TGetMagicNumber magic = nullptr;
  TGetPluginInfo info = nullptr;
  TPluginParameters parameters = nullptr;
  bool Complete() const { return start && magic && info && parameters; }
};

template <typename T>
T Export(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

TPluginExports FindExports(HMODULE module) {
  TPluginExports e;
  e.start = Export<TStartPlugin>(module, "StartPlugin");
  e.magic = Export<TGetMagicNumber>(module, "getMagicNumber");
  e.info = Export<TGetPluginInfo>(module, "getPluginInfo");
  e.parameters = Export<TPluginParameters>(module, "PluginParameters");
  return e;
}

BOOL CALLBACK CollectModuleWindow(HWND hwnd, LPARAM param) {
  auto* windows = reinterpret_cast<std::vector<HWND>*>(param);
  if (reinterpret_cast<HMODULE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE)) ==
      reinterpret_cast<HMODULE>(windows->front()))
    windows->push_back(hwnd);
  return TRUE;
}

// A window whose code is unloaded would crash at its next message.
void DestroyModuleWindows(HMODULE module) {
  std::vector<HWND> windows{reinterpret_cast<HWND>(module)};
  EnumThreadWindows(GetCurrentThreadId(), CollectModuleWindow, reinterpret_cast<LPARAM>(&windows));
  for (size_t i = 1; i < windows.size(); ++i)
    if (IsWindow(windows[i])) DestroyWindow(windows[i]);
}

// Runs the accepted plug-in over the walk it asked for; false only when the
// interface number refuses it.
bool CallPlugin(TMainForm& form, const TPluginExports& e) {
  if (e.magic() > HighestMagicNumber) return false;
  if (!BeginSelectionWalk(e.info())) return true;
  const std::string language = Translator().LanguageFileName;
  const std::string settings = SettingsFilePath;
  e.parameters(ParamLanguageFile, language.c_str());
  e.parameters(ParamSettingsFile, settings.c_str());
  const HWND app = Application().Handle();
  // Only the plug-in's window and the main window are to be on the screen.
  const bool appShown = IsWindowVisible(app);
  ShowWindow(app, SW_HIDE);
  const bool ok = e.start(app, form.Handle());
  if (!ok && PluginStructure.AutoMarked && SelectionHost)
    if (ISelectionPane* pane = SelectionHost->GetActivePane()) pane->MarkCurrent(false);
  if (appShown) ShowWindow(app, SW_SHOW);
  EndListOperation();
  return true;
}

// The window named by a request: one of this process, else nil.
HWND RequestWindow(LPARAM param) {
  const HWND hwnd = reinterpret_cast<HWND>(param);
  DWORD process = 0;
  if (!hwnd || !IsWindow(hwnd) || !GetWindowThreadProcessId(hwnd, &process)) return nullptr;
  return process == GetCurrentProcessId() ? hwnd : nullptr;
}

bool ReadableProtection(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                    PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY);
}

// The length of a readable NUL-terminated text of at most limit bytes before
// its NUL, or -1.
int ReadableTextLength(const char* text, size_t limit) {
  for (size_t n = 0; n <= limit; ++n) {
    if (!IsReadableMemory(text + n, 1)) return -1;
    if (!text[n]) return static_cast<int>(n);
  }
  return -1;
}

bool SoundUpdate(const TItemUpdate& update) {
  if (!(update.Flags & iuRename)) return true;
  const int length = ReadableTextLength(update.NewName, MAX_PATH - 1);
  return length > 0 && !memchr(update.NewName, '\\', static_cast<size_t>(length));
}

void PostAnswer(HWND target, WPARAM request, const void* answer) {
  PostMessageA(target, WM_KVT_ANSWER, request, reinterpret_cast<LPARAM>(answer));
}

}  // namespace

bool IsReadableMemory(const void* p, size_t size) {
  auto at = reinterpret_cast<uintptr_t>(p);
  const uintptr_t end = at + size;
  if (!p || end < at) return false;
  while (at < end) {
    MEMORY_BASIC_INFORMATION mbi{};
    if (!VirtualQuery(reinterpret_cast<const void*>(at), &mbi, sizeof mbi)) return false;
    if (mbi.State != MEM_COMMIT || !ReadableProtection(mbi.Protect)) return false;
    at = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
  }
  return true;
}

void RunPlugin(TMainForm& form, const std::string& path) {
  Application().ProcessMessages();
  form.pnlSearch->Hide();
  form.PluginRunning = 0;
  std::string detail;
  {
    TQuietErrors quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    form.PluginModule = LoadLibraryA(path.c_str());
  }
  if (form.PluginModule) {
    const TPluginExports exports = FindExports(form.PluginModule);
    form.PluginRunning = exports.Complete() ? 1 : 0;
    detail = ".";
    if (form.PluginRunning == 1 && !CallPlugin(form, exports)) {
      form.PluginRunning = 0;
      detail = Tx(TextOldVersion);
    }
    DestroyModuleWindows(form.PluginModule);
    FreeLibrary(form.PluginModule);
    form.PluginModule = nullptr;
  }
  if (form.PluginRunning == 0)
    ShowMessageBox(form.Handle(), Tx(TextPluginNotLoaded) + detail, Tx(TextError), MB_OK | MB_ICONINFORMATION);
  form.PluginRunning = 0;
  form.RefreshPanes();
}

void ServePluginRequest(TMainForm& form, WPARAM request, LPARAM param) {
  if (form.PluginRunning != 1 || !PluginStructure.TextBlock || !PluginStructure.List) return;
  switch (request) {
    case ReqNextItem:
      if (HWND target = RequestWindow(param)) PostAnswer(target, ReqNextItem, NextSelectedItem(WalkCopied));
      break;
    case ReqUpdateItem: {
      const auto* update = reinterpret_cast<const TItemUpdate*>(param);
      if (!IsReadableMemory(update, sizeof *update)) break;
      const TItemUpdate copy = *update;
      if (SoundUpdate(copy)) UpdateItemState(&copy);
      break;
    }
    case ReqCounts:
      if (HWND target = RequestWindow(param)) {
        static TSelectionCounts counts;
        const TstateOfBrowser& list = *PluginStructure.List;
        counts = {static_cast<uint32_t>(list.SelectedCount), static_cast<uint32_t>(list.SelectedFiles), 0, 0};
        PostAnswer(target, ReqCounts, &counts);
      }
      break;
    case ReqResetWalk:
      ResetSelectionWalk();
      break;
    case ReqSettingsPath:
      if (HWND target = RequestWindow(param)) {
        static std::string path;
        path = SettingsFilePath;
        const auto lp = reinterpret_cast<LPARAM>(path.c_str());
        if (GetWindowThreadProcessId(target, nullptr) == GetCurrentThreadId()) {
          SendMessageA(target, WM_KVT_ANSWER, ReqSettingsPath, lp);
        } else {
          DWORD_PTR result = 0;
          SendMessageTimeoutA(target, WM_KVT_ANSWER, ReqSettingsPath, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                              kAnswerTimeoutMs, &result);
        }
      }
      break;
    default:
      break;
  }
}

void KeepPluginWindowOrder(TMainForm& form) {
  if (form.PluginRunning != 1) return;
  HWND top = GetForegroundWindow();
  for (int step = 0; step < 10 && top && GetParent(top); ++step) top = GetParent(top);
  if (top && top != form.Handle() && form.PluginModule &&
      reinterpret_cast<HMODULE>(GetWindowLongPtrA(top, GWLP_HINSTANCE)) == form.PluginModule)
    SetWindowPos(form.Handle(), top, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(Application().Handle(), SW_HIDE);
}
