#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "framework/Thread.h"

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

TEST(Thread, ExceptionsStayInsideTheThread) {
  TThreadOf<TThrower> t;
  t.Resume();
  t.WaitFor();
  EXPECT_TRUE(t.FatalException() != nullptr);
}

TEST(Thread, FreeingARunningThreadStopsIt) {
  auto* t = new TThreadOf<TCounter>;
  t->Resume();
  delete t;  // terminates and waits, pumping the calls it makes meanwhile
  SUCCEED();
}

TEST(Thread, FreeingANeverResumedThreadRunsNothing) {
  bool ended = false;
  {
    TThreadOf<TCounter> t;
    t.OnTerminate = [&] { ended = true; };
  }
  EXPECT_FALSE(ended);
}

}  // namespace
