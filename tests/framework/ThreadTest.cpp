#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/SystemError.h"
#include "framework/Thread.h"
#include "support/FreshProcess.h"
#include "support/MessagePump.h"

namespace {

class TCounter : public TThread {
 public:
  int calls = 0;
  int synced = 0;
  bool onUiThread = true;
  DWORD uiThread = GetCurrentThreadId();

 protected:
  void Execute() override {
    for (int i = 0; i < 500 && !Terminated(); ++i) {
      ++calls;
      Synchronize([this] {
        ++synced;
        onUiThread = onUiThread && GetCurrentThreadId() == uiThread;
      });
    }
  }
};

TEST(Thread, SynchronisedCallsWhileUiWaits) {
  TThreadOf<TCounter> t;
  EXPECT_EQ(t.calls, 0);  // created suspended
  bool ended = false;
  t.OnTerminate = [&] { ended = true; };
  t.Resume();
  t.WaitFor();
  EXPECT_EQ(t.synced, 500);
  EXPECT_TRUE(t.onUiThread);
  EXPECT_TRUE(ended);
  EXPECT_TRUE(t.Finished());
}

class TThrower : public TThread {
 protected:
  void Execute() override {
    Synchronize([] { throw std::runtime_error("in a callback"); });
  }
};

// Nobody asks a finished worker: its failure and its OnTerminate's reach the
// application's handler, once each, on the user-interface thread.
TEST(Thread, ExceptionsReachTheApplicationOnceEach) {
  std::vector<std::string> caught;
  const DWORD uiThread = GetCurrentThreadId();
  Application().OnException = [&](std::exception_ptr e) {
    EXPECT_EQ(GetCurrentThreadId(), uiThread);
    caught.push_back(ExceptionText(e));
  };
  {
    TThreadOf<TThrower> t;
    t.OnTerminate = [] { throw std::runtime_error("on terminate"); };
    t.Resume();
    t.WaitFor();
    EXPECT_TRUE(t.FatalException() != nullptr);
  }
  Application().ProcessMessages();
  Application().OnException = nullptr;
  const std::vector<std::string> want = {"in a callback", "on terminate"};
  EXPECT_EQ(caught, want);
}

// Run by the test below in a process that never set up synchronised calls:
// the worker's call must fail, not run its function on the worker.
TEST(Thread, DISABLED_SynchronizeBeforeItsSetUp) {
  TThreadOf<TThrower> t;
  t.Resume();
  t.WaitFor();
  ASSERT_TRUE(t.FatalException());
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), std::logic_error);
  EndFreshProcessCase();
}

TEST(Thread, SynchronizeBeforeItsSetUpIsAnError) {
  EXPECT_TRUE(PassesInAFreshProcess("Thread.DISABLED_SynchronizeBeforeItsSetUp", "--without-synchronize"));
}

// Runs until told to stop (or 5 s pass) and leaves in state how it ended:
// 1 running, 2 stopped by Terminate, 3 ran out of time.
class TSpinner : public TThread {
 public:
  explicit TSpinner(std::atomic<int>& state) : state_(state) {}

 protected:
  void Execute() override {
    state_ = 1;
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (!Terminated() && GetTickCount64() < deadline) Synchronize([] { Sleep(1); });
    state_ = Terminated() ? 2 : 3;
  }

 private:
  std::atomic<int>& state_;
};

TEST(Thread, FreeingARunningThreadStopsIt) {
  std::atomic<int> state{0};
  auto* t = new TThreadOf<TSpinner>(state);
  t->Resume();
  for (ULONGLONG until = GetTickCount64() + 5000; state == 0 && GetTickCount64() < until;) Sleep(1);
  ASSERT_EQ(state, 1);
  const ULONGLONG start = GetTickCount64();
  delete t;  // terminates and waits, pumping the calls it makes meanwhile
  EXPECT_EQ(state, 2);
  EXPECT_LT(GetTickCount64() - start, 1000u);
}

TEST(Thread, FreeingANeverResumedThreadRunsNothing) {
  bool ended = false;
  {
    TThreadOf<TCounter> t;
    t.OnTerminate = [&] { ended = true; };
  }
  EXPECT_FALSE(ended);
}

class TQueuer : public TThread {
 public:
  explicit TQueuer(std::vector<int>& ran) : ran_(ran) {}

 protected:
  void Execute() override {
    // Not through this: a call that outlived its thread would show.
    for (int i = 0; i < 3; ++i) Queue([&ran = ran_, i] { ran.push_back(i); });
  }

 private:
  std::vector<int>& ran_;
};

// Queued calls wait for no one and run on the window thread in their order;
// those of a thread freed before they ran never run, as their objects are gone.
TEST(Thread, QueuedCallsRunInOrderUnlessTheirThreadIsFreed) {
  std::vector<int> ran, dropped, last;
  {
    TThreadOf<TQueuer> t(dropped);
    t.Resume();
    WaitForSingleObject(t.Handle(), INFINITE);
  }
  TThreadOf<TQueuer> kept(ran), sentinel(last);
  kept.Resume();
  WaitForSingleObject(kept.Handle(), INFINITE);
  EXPECT_TRUE(ran.empty());
  sentinel.Resume();
  EXPECT_TRUE(PumpUntil([&] { return last.size() == 3; }));
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(dropped.empty());
}

}  // namespace
