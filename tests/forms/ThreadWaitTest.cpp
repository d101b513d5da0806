#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "support/ProcessThreads.h"
#include "framework/Forms.h"
#include "framework/Thread.h"

namespace {

// Makes `calls` synchronised calls, whether asked to stop or not, so that a
// stop has calls to serve while it waits.
class TSyncWorker : public TThread {
 public:
  int calls = 1000;
  int served = 0;
  std::function<void()> OnCall;

 protected:
  void Execute() override {
    for (int i = 0; i < calls; ++i)
      Synchronize([this] {
        ++served;
        if (OnCall) OnCall();
      });
  }
};

TEST(ThreadWaits, AQuitDuringAWaitStillServesTheWorkerAndIsPostedAgain) {
  TThreadOf<TSyncWorker> worker;
  worker.calls = 50;
  PostQuitMessage(7);
  worker.Resume();
  const DWORD start = GetTickCount();
  EXPECT_EQ(WaitWithMessages(worker.Handle(), 3000), WAIT_OBJECT_0);
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(worker.served, 50);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
}

TEST(ThreadWaits, AStopServesSynchronisedCallsButHoldsInputBack) {
  TForm form;
  auto* edit = new TEdit(&form);
  int keys = 0;
  edit->OnKeyDown = [&](WORD&, unsigned) { ++keys; };
  form.Show();
  TThreadOf<TSyncWorker> worker;
  int keysDuringCalls = 0;
  worker.OnCall = [&] { keysDuringCalls += keys; };
  PostMessageA(edit->Handle(), WM_KEYDOWN, 'A', 1);
  worker.Resume();
  worker.StopAndWait();
  EXPECT_EQ(worker.served, 1000);
  EXPECT_EQ(keysDuringCalls, 0);
  EXPECT_EQ(keys, 0);
  Application().ProcessMessages();
  EXPECT_EQ(keys, 1);
}

TEST(ThreadWaits, AThousandThreadsLeaveNoThreadNorObjectBehind) {
  const int threadsBefore = ThreadsOfThisProcess(), objectsBefore = TThread::LiveCount();
  for (int i = 0; i < 1000; ++i) {
    auto worker = std::make_unique<TThreadOf<TSyncWorker>>();
    worker->calls = i % 3;
    switch (i % 4) {
      case 0:  // freed without ever running
        break;
      case 1:
        worker->Resume();
        worker->WaitFor();
        break;
      default:  // stopped at once, or freed while it may still run
        worker->Resume();
        if (i % 4 == 2) worker->StopAndWait();
        break;
    }
    EXPECT_EQ(TThread::LiveCount(), objectsBefore + 1);
  }
  EXPECT_EQ(TThread::LiveCount(), objectsBefore);
  EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);
}

}  // namespace
