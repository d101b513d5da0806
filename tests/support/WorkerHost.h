#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engines/WorkerEvents.h"

// One callback a worker made, as the host saw it on its own thread.
struct TWorkerCall {
  enum TKind { GetNext, FileDone, Progress, Terminate };
  explicit TWorkerCall(TKind kind) : Kind(kind) {}
  TKind Kind;
  std::string Path;  // item handed out or being reported; empty for the final nil
  uint32_t Flags = 0;
  uint64_t Size = 0;
  int32_t Result = 0;
  int32_t Stage = 0;
  int32_t Matches = 0;
  int64_t SizeBefore = 0;
  int64_t SizeAfter = 0;
  std::string Message;
  bool OnHostThread = false;
  bool FromWorker = false;  // the sender was the worker run
};

// Plays the windows' part for a worker in tests: hands out items, records
// every callback with the thread it ran on, and waits for the worker with a
// real message loop so that its synchronised calls get through.
class TWorkerHost {
 public:
  TWorkerHost();

  void AddItem(const std::string& folder, const std::string& name, uint32_t attributes = 0);
  template <typename TWorker>
  void BindReplace(TWorker& worker);
  template <typename TWorker>
  void BindRename(TWorker& worker);
  // Resumes the worker and waits for its end; its ReturnValue.
  DWORD Run(TThread& worker);

  // "N" next item, "n" the final nil, "D" file done, "P" progress, "T" end.
  std::string Sequence() const;
  std::vector<TWorkerCall> Calls;
  // Called after each record; a test may stop the worker from here.
  std::function<void(TThread& worker, const TWorkerCall& call)> OnCall;

 private:
  struct THostItem {
    std::string Folder;
    std::string Name;
    uint32_t Attributes;
  };
  void Record(TThread* sender, TWorkerCall call);
  void HandOut(TThread* sender, TSelectedItem*& item);
  std::string CurrentPath() const;

  std::vector<THostItem> items_;
  size_t next_ = 0;
  TSelectedItem current_{};
  TThread* worker_ = nullptr;
  DWORD hostThread_;
};

template <typename TWorker>
void TWorkerHost::BindReplace(TWorker& worker) {
  worker_ = &worker;
  worker.OnGetNextFile = [this](TThread* s, TSelectedItem*& item) { HandOut(s, item); };
  worker.OnFileDone = [this](TThread* s, TItemUpdate& status) {
    TWorkerCall c(TWorkerCall::FileDone);
    c.Path = CurrentPath();
    c.Flags = status.Flags;
    c.Size = status.Size;
    Record(s, c);
  };
  worker.OnProgress = [this](TThread* s, int32_t result, int32_t stage, int32_t matches,
                             int64_t before, int64_t after) {
    TWorkerCall c(TWorkerCall::Progress);
    c.Path = CurrentPath();
    c.Result = result;
    c.Stage = stage;
    c.Matches = matches;
    c.SizeBefore = before;
    c.SizeAfter = after;
    Record(s, c);
  };
  worker.OnTerminate = [this] { Record(worker_, TWorkerCall(TWorkerCall::Terminate)); };
}

template <typename TWorker>
void TWorkerHost::BindRename(TWorker& worker) {
  worker_ = &worker;
  worker.OnFileDone = [this](TThread* s, const std::string& message) {
    TWorkerCall c(TWorkerCall::FileDone);
    c.Message = message;
    Record(s, c);
  };
  worker.OnProgress = [this](TThread* s, int32_t result) {
    TWorkerCall c(TWorkerCall::Progress);
    c.Result = result;
    Record(s, c);
  };
  worker.OnTerminate = [this] { Record(worker_, TWorkerCall(TWorkerCall::Terminate)); };
}
