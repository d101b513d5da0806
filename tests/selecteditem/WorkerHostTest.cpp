#include <gtest/gtest.h>

#include "support/WorkerHost.h"

namespace {

// A worker of the replace kind that reports every item it is given.
class TEchoWorker : public TThread {
 public:
  TGetNextFileEvent OnGetNextFile;
  TFileDoneEvent OnFileDone;
  TProgressEvent OnProgress;

 protected:
  void Execute() override {
    TSelectedItem* item = nullptr;
    Synchronize([&] { OnGetNextFile(this, item); });
    while (item && !Terminated()) {
      TItemUpdate status;
      status.Flags = item->Attributes;
      status.Size = item->Tag;
      Synchronize([&] { OnFileDone(this, status); });
      Synchronize([&] { OnProgress(this, 2, 0, 1, 10, 20); });
      Synchronize([&] { OnGetNextFile(this, item); });
    }
    ReturnValue = Terminated() ? 1 : 2;
  }
};

TEST(WorkerHost, RecordsCallsOnItsOwnThread) {
  TWorkerHost host;
  host.AddItem("C:\\f", "a.txt", 82);
  host.AddItem("C:\\f", "b.txt", 210);
  TThreadOf<TEchoWorker> worker;
  host.BindReplace(worker);
  EXPECT_EQ(host.Run(worker), 2u);
  EXPECT_EQ(host.Sequence(), "NDPNDPnT");
  for (const TWorkerCall& c : host.Calls) {
    EXPECT_TRUE(c.OnHostThread);
    EXPECT_TRUE(c.FromWorker);
  }
  EXPECT_EQ(host.Calls[1].Path, "C:\\f\\a.txt");
  EXPECT_EQ(host.Calls[1].Flags, 82u);
  EXPECT_EQ(host.Calls[4].Flags, 210u);
  EXPECT_EQ(host.Calls[4].Size, 2u);
  EXPECT_EQ(host.Calls[5].SizeAfter, 20);
}

TEST(WorkerHost, StopsTheWorkerFromACallback) {
  TWorkerHost host;
  for (const char* n : {"a", "b", "c"}) host.AddItem("C:\\f", n);
  TThreadOf<TEchoWorker> worker;
  host.BindReplace(worker);
  host.OnCall = [](TThread& w, const TWorkerCall& c) {
    if (c.Kind == TWorkerCall::FileDone) w.Terminate();
  };
  EXPECT_EQ(host.Run(worker), 1u);
  EXPECT_EQ(host.Sequence(), "NDPNT");
}

}  // namespace
