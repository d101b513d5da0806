#pragma once
#include <windows.h>

#include <exception>
#include <functional>

#include "framework/Handles.h"

// Runs f on the user-interface thread and returns when it has run. The UI
// thread is the one that first called InitSynchronize (the application, or a
// thread object's creator). Called on the UI thread itself, f runs at once.
// An exception thrown by f is carried back and rethrown in the caller.
void InitSynchronize();
void Synchronize(const std::function<void()>& f);

// Waits for a handle while dispatching sent and posted messages, so that a
// worker blocked in Synchronize can finish. Returns WAIT_OBJECT_0 when the
// handle was signalled, WAIT_TIMEOUT when the timeout passed first.
DWORD WaitWithMessages(HANDLE h, DWORD timeoutMs = INFINITE);

// A worker thread: created suspended, given its job, callbacks and priority,
// resumed, and freed by the one who made it. Execute never lets an exception
// out; one that reaches the thread's top is kept in FatalException.
// A derived class whose Execute uses its own members calls StopAndWait in its
// destructor, so that Execute never outlives them. A thread freed before it
// was resumed never runs Execute nor OnTerminate.
class TThread {
 public:
  TThread();
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Finished() const { return finished_; }
  // Waits for the end of Execute, dispatching messages meanwhile.
  DWORD WaitFor();
  void SetPriority(int priority) { SetThreadPriority(handle_.Get(), priority); }
  int Priority() const { return GetThreadPriority(handle_.Get()); }
  HANDLE Handle() const { return handle_.Get(); }
  DWORD ThreadId() const { return id_; }
  std::exception_ptr FatalException() const { return fatal_; }

  // Runs on the UI thread (synchronised) after Execute has ended.
  std::function<void()> OnTerminate;

 protected:
  virtual void Execute() = 0;
  // Asks the thread to stop and waits for its end; harmless when it has ended.
  void StopAndWait();
  DWORD ReturnValue = 0;

 private:
  static DWORD WINAPI ThreadProc(void* self);
  THandle handle_;
  DWORD id_ = 0;
  volatile bool terminated_ = false;
  volatile bool finished_ = false;
  bool suspended_ = true;
  std::exception_ptr fatal_;
};
