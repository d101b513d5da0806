#pragma once
#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <utility>

#include "framework/Handles.h"

// Makes the calling thread the user-interface thread of synchronised calls
// (the application does this at its start). Throws EOSError when the window
// that carries the calls cannot be made.
void InitSynchronize();
// Runs f on the user-interface thread and returns when it has run; on that
// thread itself f runs at once. An exception thrown by f is carried back and
// rethrown here. Called on another thread before InitSynchronize, it throws
// std::logic_error rather than run f on the wrong thread.
void Synchronize(const std::function<void()>& f);

// Waits for a handle while dispatching every message, input and paint
// included: the wait of a window that stays usable meanwhile. A WM_QUIT ends
// the dispatching, not the serving of synchronised calls, and is posted again
// when the wait ends. WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitWithMessages(HANDLE h, DWORD timeoutMs = INFINITE);
// Waits for a handle while serving only messages sent from other threads, so
// a worker's synchronised calls get through but keys, clicks and paints wait
// in the queue: a window that stops its worker is not re-entered meanwhile.
DWORD WaitForSentOnly(HANDLE h, DWORD timeoutMs = INFINITE);

template <class TWorker>
class TThreadOf;

// A worker thread.
//
// Write a worker by deriving from TThread and overriding Execute; create it
// only as TThreadOf<TWorker>:
//
//   class TFinder : public TThread {
//    public:
//     std::string Folder;                      // the job, set before Resume
//    protected:
//     void Execute() override {
//       while (!Terminated()) { ... Synchronize([this] { ... }); }
//     }
//   };
//   auto finder = std::make_unique<TThreadOf<TFinder>>();  // made suspended
//   finder->Folder = folder;
//   finder->OnTerminate = [&] { ... };                      // optional
//   finder->Resume();
//   ...                                      // the modal window runs
//   finder.reset();                          // stops, waits, then frees
//
// TFinder alone is abstract, so it cannot be made by mistake without
// TThreadOf, whose destructor stops the thread (StopAndWait) before any
// member of TFinder dies. Do not declare TFinder final.
//
// Execute checks Terminated() often and never touches a window: window work
// goes through Synchronize. No exception leaves the thread; one that reaches
// its top is kept in FatalException and handed once to the application's
// exception handler on the user-interface thread (when synchronised calls are
// set up) before OnTerminate runs; one thrown by OnTerminate goes to that
// handler like any callback's. A thread stopped or freed before it was
// resumed runs neither Execute nor OnTerminate; once resumed, it runs both.
class TThread {
 public:
  // Throws EOSError when the system cannot make the thread.
  TThread();
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // True once the thread has ended; the object may then be freed at once.
  bool Finished() const;
  // Waits for the end, on the user-interface thread dispatching every message
  // (WaitWithMessages); ReturnValue. Throws std::logic_error for a thread
  // that was never resumed, which would never end.
  DWORD WaitFor();
  // Asks the thread to stop and waits for its end, serving only synchronised
  // calls meanwhile (WaitForSentOnly), so the caller's window sees no input
  // until the thread is gone. Harmless when the thread has ended or was
  // never resumed. Every stop of a worker goes through here.
  void StopAndWait();
  // Runs f on the user-interface thread later, without waiting for it:
  // behind the messages posted there before. A call that has not run when
  // the thread object is freed never runs; free it on that thread.
  void Queue(std::function<void()> f);
  void SetPriority(int priority) { SetThreadPriority(handle_.Get(), priority); }
  int Priority() const { return GetThreadPriority(handle_.Get()); }
  HANDLE Handle() const { return handle_.Get(); }
  DWORD ThreadId() const { return id_; }
  std::exception_ptr FatalException() const { return fatal_; }

  // Thread objects alive in the process, for leak checks.
  static int LiveCount() { return liveCount_; }

  // Runs on the user-interface thread (synchronised) after Execute has ended.
  std::function<void()> OnTerminate;

 protected:
  virtual void Execute() = 0;
  DWORD ReturnValue = 0;

 private:
  // Defined only by TThreadOf: without it a worker class stays abstract.
  virtual void MadeByThreadOf() = 0;
  template <class TWorker>
  friend class TThreadOf;

  // Lets a thread never resumed run out without running anything.
  void Abandon();
  void RemoveQueued();
  static DWORD WINAPI ThreadProc(void* self);
  THandle handle_;
  DWORD id_ = 0;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> abandoned_{false};
  bool suspended_ = true;
  std::exception_ptr fatal_;
  static std::atomic<int> liveCount_;
};

// The one way to make a worker: stops it before its members go.
template <class TWorker>
class TThreadOf final : public TWorker {
 public:
  template <class... TArgs>
  explicit TThreadOf(TArgs&&... args) : TWorker(std::forward<TArgs>(args)...) {}
  ~TThreadOf() override {
    this->StopAndWait();
    this->RemoveQueued();
  }

 private:
  void MadeByThreadOf() override {}
};
