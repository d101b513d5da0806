#pragma once
// What a Kelvanto plug-in exports and the messages it exchanges with the
// program while it runs. A plug-in is a library named "*.plgn" beside
// Kelvanto.exe, of the program's own bitness.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// On 32-bit x86 every export takes its first argument in EAX, the second in
// EDX and returns in EAX (AL for a bool); 64-bit code has one convention.
#if defined(__i386__)
#define KVT_PLUGIN_CALL __attribute__((regparm(3)))
#else
#define KVT_PLUGIN_CALL
#endif
#define KVT_PLUGIN_EXPORT extern "C" __declspec(dllexport) KVT_PLUGIN_CALL

namespace KvtPlugin {

// The exports, looked up by these names:
//   const char* GetPluginTitle()          the menu item's text
//   int32_t getMagicNumber()              the interface version; up to 20 runs
//   uint32_t getPluginInfo()              the selection it needs (Need...)
//   void PluginParameters(int32_t kind, const char* text)
//                                         ParamLanguageFile, then ParamSettingsFile;
//                                         the text is valid only during the call
//   bool StartPlugin(HWND application, HWND mainWindow)
//                                         does the work and returns when done
using TGetPluginTitle = const char*(KVT_PLUGIN_CALL*)();
using TGetMagicNumber = int32_t(KVT_PLUGIN_CALL*)();
using TGetPluginInfo = uint32_t(KVT_PLUGIN_CALL*)();
using TPluginParameters = void(KVT_PLUGIN_CALL*)(int32_t kind, const char* text);
// A one-byte result: the upper bytes of EAX are left undefined.
using TStartPlugin = bool(KVT_PLUGIN_CALL*)(HWND application, HWND mainWindow);

constexpr int32_t HighestMagicNumber = 20;

// getPluginInfo: nothing needed, files needed, folders needed; any other
// value asks for a selection of any kind.
constexpr uint32_t NeedNothing = 1;
constexpr uint32_t NeedFiles = 2;
constexpr uint32_t NeedFolders = 4;

// PluginParameters kinds: the language file's name ("" for English) and the
// settings file's path.
constexpr int32_t ParamLanguageFile = 1;
constexpr int32_t ParamSettingsFile = 2;

// Requests go to the main window's handle with WM_KVT_REQUEST and the request
// in WParam; answers come to the window named in LParam with WM_KVT_ANSWER and
// the request in WParam.
constexpr UINT WM_KVT_REQUEST = WM_USER + 41;
constexpr UINT WM_KVT_ANSWER = WM_USER + 42;
// LParam: the plug-in's window. Answer (posted): a TSelectedItem*, or 0 when
// no selected item is left.
constexpr WPARAM ReqNextItem = 1;
// LParam: a TItemUpdate* for the item last returned. No answer.
constexpr WPARAM ReqUpdateItem = 2;
// LParam: the plug-in's window. Answer (posted): a TSelectionCounts*.
constexpr WPARAM ReqCounts = 3;
// The next ReqNextItem starts from the first selected item again. No answer.
constexpr WPARAM ReqResetWalk = 4;
// LParam: the plug-in's window. Answer (sent, the program waits for it): the
// settings file's path as a const char*.
constexpr WPARAM ReqSettingsPath = 5;

// The answers of requests 1 and 3 stay valid until the next request of the
// same kind.
struct TSelectedItem {
  char* Name;
  char* Folder;  // no trailing backslash, except a drive root
  uint32_t Attributes;
  uint32_t Tag;
};

// Flags of TItemUpdate. Name, attributes, time and size change only when the
// program walks a basket view; the mark and the status always.
constexpr uint32_t UpdRename = 1;
constexpr uint32_t UpdUnselect = 2;
constexpr uint32_t UpdAttributes = 4;
constexpr uint32_t UpdLastWriteTime = 8;
constexpr uint32_t UpdSize = 16;
constexpr uint32_t UpdRemove = 32;
// Status marks: successful 64, failed 128, unchanged both.
constexpr uint32_t UpdStatusMask = 0x3C0;

struct TItemUpdate {
  uint32_t Flags;
  const char* NewName;  // with UpdRename: a plain name, no folder, under 260 bytes
  uint32_t Attributes;
  uint32_t Reserved;
  uint64_t Size;
  FILETIME LastWriteTime;
};

struct TSelectionCounts {
  uint32_t SelectedCount;
  uint32_t SelectedFiles;
  uint32_t Reserved1;
  uint32_t Reserved2;
};

#if defined(__i386__)
static_assert(sizeof(TSelectedItem) == 16 && offsetof(TSelectedItem, Attributes) == 8 &&
              offsetof(TSelectedItem, Tag) == 12);
static_assert(sizeof(TItemUpdate) == 32 && offsetof(TItemUpdate, NewName) == 4 &&
              offsetof(TItemUpdate, Attributes) == 8 && offsetof(TItemUpdate, Size) == 16 &&
              offsetof(TItemUpdate, LastWriteTime) == 24);
#elif defined(__x86_64__)
static_assert(sizeof(TSelectedItem) == 24 && offsetof(TSelectedItem, Attributes) == 16 &&
              offsetof(TSelectedItem, Tag) == 20);
static_assert(sizeof(TItemUpdate) == 40 && offsetof(TItemUpdate, NewName) == 8 &&
              offsetof(TItemUpdate, Attributes) == 16 && offsetof(TItemUpdate, Size) == 24 &&
              offsetof(TItemUpdate, LastWriteTime) == 32);
#endif
static_assert(sizeof(TSelectionCounts) == 16);

}  // namespace KvtPlugin
