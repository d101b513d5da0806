#include "framework/Thread.h"

#include <map>
#include <stdexcept>

#include "framework/SystemError.h"

namespace {

constexpr UINT kSyncMessage = WM_APP + 0x3F00;
constexpr UINT kQueueMessage = WM_APP + 0x3F01;
std::atomic<HWND> syncWindow{nullptr};
std::atomic<DWORD> uiThreadId{0};

// Calls posted and not run yet, by number: a thread's own go with it.
struct TQueuedCall {
  const TThread* owner;
  std::function<void()> f;
};
TCriticalSection queueLock;
std::map<uint32_t, TQueuedCall> queuedCalls;
uint32_t lastQueued = 0;

void RunQueued(uint32_t id) {
  std::function<void()> f;
  {
    TLock lock(queueLock);
    const auto it = queuedCalls.find(id);
    if (it == queuedCalls.end()) return;
    f = std::move(it->second.f);
    queuedCalls.erase(it);
  }
  try {
    f();
  } catch (...) {
    HandleCallbackException();
  }
}

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
  if (msg == kQueueMessage) {
    RunQueued(static_cast<uint32_t>(wp));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

bool OnUiThread() { return GetCurrentThreadId() == uiThreadId.load(); }

// What is left of a timeout that started at start; INFINITE stays so.
DWORD TimeLeft(DWORD start, DWORD timeoutMs) {
  if (timeoutMs == INFINITE) return INFINITE;
  const DWORD spent = GetTickCount() - start;
  return spent >= timeoutMs ? 0 : timeoutMs - spent;
}

// Any peek runs the messages other threads sent; this one takes nothing posted.
void ServeSentMessages() {
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

void InitSynchronize() {
  if (syncWindow.load()) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = SyncWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TKvtSyncWindow";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  if (!w) RaiseLastOSError();
  uiThreadId = GetCurrentThreadId();
  syncWindow = w;
}

void Synchronize(const std::function<void()>& f) {
  if (OnUiThread()) {
    f();
    return;
  }
  HWND w = syncWindow.load();
  if (!w) throw std::logic_error("Synchronize before InitSynchronize: no user-interface thread to run on");
  TSyncCall call{&f, nullptr};
  SendMessageA(w, kSyncMessage, 0, reinterpret_cast<LPARAM>(&call));
  if (call.error) std::rethrow_exception(call.error);
}

void TThread::Queue(std::function<void()> f) {
  HWND w = syncWindow.load();
  if (!w) throw std::logic_error("Queue before InitSynchronize: no user-interface thread to run on");
  uint32_t id;
  {
    TLock lock(queueLock);
    id = ++lastQueued;
    queuedCalls.emplace(id, TQueuedCall{this, std::move(f)});
  }
  if (!PostMessageA(w, kQueueMessage, id, 0)) {
    TLock lock(queueLock);
    queuedCalls.erase(id);
  }
}

void TThread::RemoveQueued() {
  TLock lock(queueLock);
  std::erase_if(queuedCalls, [this](const auto& call) { return call.second.owner == this; });
}

DWORD WaitWithMessages(HANDLE h, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  bool quit = false;
  int quitCode = 0;
  DWORD r;
  for (;;) {
    r = MsgWaitForMultipleObjects(1, &h, FALSE, TimeLeft(start, timeoutMs), quit ? QS_SENDMESSAGE : QS_ALLINPUT);
    if (r != WAIT_OBJECT_0 + 1) break;
    if (quit) {
      ServeSentMessages();
      continue;
    }
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        // The loop that waits for the quit must still see it; until then a
        // worker inside a synchronised call must still get its answer.
        quit = true;
        quitCode = static_cast<int>(m.wParam);
        break;
      }
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
  if (quit) PostQuitMessage(quitCode);
  return r;
}

DWORD WaitForSentOnly(HANDLE h, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, TimeLeft(start, timeoutMs), QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) return r;
    ServeSentMessages();
  }
}

// ---- TThread

std::atomic<int> TThread::liveCount_{0};

TThread::TThread() {
  handle_.Reset(CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id_));
  if (!handle_) RaiseLastOSError();
  ++liveCount_;
}

// TThreadOf has stopped a resumed thread; one never resumed is let run out
// here, so that no suspended thread outlives its object.
TThread::~TThread() {
  if (suspended_) {
    Abandon();
    WaitForSingleObject(handle_.Get(), INFINITE);
  }
  --liveCount_;
}

void TThread::Abandon() {
  abandoned_ = true;
  Terminate();
  Resume();
}

bool TThread::Finished() const { return WaitForSingleObject(handle_.Get(), 0) == WAIT_OBJECT_0; }

void TThread::Resume() {
  if (!suspended_) return;
  suspended_ = false;
  ResumeThread(handle_.Get());
}

DWORD TThread::WaitFor() {
  if (suspended_) throw std::logic_error("WaitFor on a thread that was never resumed");
  if (OnUiThread())
    WaitWithMessages(handle_.Get());
  else
    WaitForSingleObject(handle_.Get(), INFINITE);
  return ReturnValue;
}

void TThread::StopAndWait() {
  if (suspended_) Abandon();
  Terminate();
  if (OnUiThread())
    WaitForSentOnly(handle_.Get());
  else
    WaitForSingleObject(handle_.Get(), INFINITE);
}

// The thread's end is its handle being signalled, after the last read of the
// object here: whoever waits on the handle may free the object at once.
DWORD WINAPI TThread::ThreadProc(void* p) {
  auto* self = static_cast<TThread*>(p);
  if (self->abandoned_) return 0;  // stopped before it was ever resumed
  try {
    self->Execute();
  } catch (...) {
    self->fatal_ = std::current_exception();
  }
  // Nobody asks a finished worker for its failure: the application hears of
  // it, once, before the starter learns of the end.
  if (self->fatal_ && syncWindow.load()) Synchronize([self] { HandleException(self->fatal_); });
  if (self->OnTerminate) {
    try {
      Synchronize([self] {
        try {
          self->OnTerminate();
        } catch (...) {
          HandleCallbackException();
        }
      });
    } catch (...) {
      // No user-interface thread to run it on.
      if (!self->fatal_) self->fatal_ = std::current_exception();
    }
  }
  return self->ReturnValue;
}
