#include "framework/Thread.h"

#include <atomic>

namespace {

constexpr UINT kSyncMessage = WM_APP + 0x3F00;
std::atomic<HWND> syncWindow{nullptr};
std::atomic<DWORD> uiThreadId{0};

struct TSyncCall {
  const std::function<void()>* f;
  std::exception_ptr error;
};

LRESULT CALLBACK SyncWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kSyncMessage) {
    auto* call = reinterpret_cast<TSyncCall*>(lp);
    try {
      (*call->f)();
    } catch (...) {
      call->error = std::current_exception();
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void InitSynchronize() {
  if (syncWindow.load()) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = SyncWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TKvtSyncWindow";
  RegisterClassA(&wc);
  uiThreadId = GetCurrentThreadId();
  syncWindow = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
}

void Synchronize(const std::function<void()>& f) {
  HWND w = syncWindow.load();
  if (!w || GetCurrentThreadId() == uiThreadId.load()) {
    f();
    return;
  }
  TSyncCall call{&f, nullptr};
  SendMessageA(w, kSyncMessage, 0, reinterpret_cast<LPARAM>(&call));
  if (call.error) std::rethrow_exception(call.error);
}

DWORD WaitWithMessages(HANDLE h, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      DWORD spent = GetTickCount() - start;
      if (spent >= timeoutMs) return WAIT_TIMEOUT;
      left = timeoutMs - spent;
    }
    DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, left, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return r;
    if (r == WAIT_TIMEOUT) return r;
    if (r == WAIT_FAILED) return r;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        // Leave the quit for the message loop that waits for it.
        PostQuitMessage(static_cast<int>(m.wParam));
        return WaitForSingleObject(h, left);
      }
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

TThread::TThread() {
  InitSynchronize();
  handle_.Reset(CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id_));
}

TThread::~TThread() { StopAndWait(); }

void TThread::StopAndWait() {
  if (!handle_ || finished_) return;
  Terminate();
  if (suspended_) Resume();
  WaitFor();
}

void TThread::Resume() {
  if (!suspended_) return;
  suspended_ = false;
  ResumeThread(handle_.Get());
}

DWORD TThread::WaitFor() {
  if (!handle_) return 0;
  if (GetCurrentThreadId() == uiThreadId.load())
    WaitWithMessages(handle_.Get());
  else
    WaitForSingleObject(handle_.Get(), INFINITE);
  return ReturnValue;
}

DWORD WINAPI TThread::ThreadProc(void* p) {
  auto* self = static_cast<TThread*>(p);
  // Terminated while still suspended: freed before it was ever resumed.
  if (self->terminated_) {
    self->finished_ = true;
    return 0;
  }
  try {
    self->Execute();
  } catch (...) {
    self->fatal_ = std::current_exception();
  }
  if (self->OnTerminate) {
    try {
      Synchronize(self->OnTerminate);
    } catch (...) {
      if (!self->fatal_) self->fatal_ = std::current_exception();
    }
  }
  self->finished_ = true;
  return self->ReturnValue;
}
