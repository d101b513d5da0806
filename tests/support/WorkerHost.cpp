#include "support/WorkerHost.h"

TWorkerHost::TWorkerHost() : hostThread_(GetCurrentThreadId()) {}

void TWorkerHost::AddItem(const std::string& folder, const std::string& name,
                          uint32_t attributes) {
  items_.push_back({folder, name, attributes});
}

DWORD TWorkerHost::Run(TThread& worker) {
  worker_ = &worker;
  worker.Resume();
  return worker.WaitFor();
}

void TWorkerHost::Record(TThread* sender, TWorkerCall call) {
  call.OnHostThread = GetCurrentThreadId() == hostThread_;
  call.FromWorker = sender == worker_;
  Calls.push_back(call);
  if (OnCall && worker_) OnCall(*worker_, Calls.back());
}

void TWorkerHost::HandOut(TThread* sender, TSelectedItem*& item) {
  item = nullptr;
  if (next_ < items_.size()) {
    THostItem& h = items_[next_++];
    current_ = {h.Name.data(), h.Folder.data(), h.Attributes, uint32_t(next_)};
    item = &current_;
  } else {
    current_ = {};
  }
  TWorkerCall c(TWorkerCall::GetNext);
  c.Path = CurrentPath();
  Record(sender, c);
}

std::string TWorkerHost::CurrentPath() const {
  if (!current_.Name) return {};
  return std::string(current_.Folder) + "\\" + current_.Name;
}

std::string TWorkerHost::Sequence() const {
  std::string s;
  for (const TWorkerCall& c : Calls) {
    switch (c.Kind) {
      case TWorkerCall::GetNext: s += c.Path.empty() ? 'n' : 'N'; break;
      case TWorkerCall::FileDone: s += 'D'; break;
      case TWorkerCall::Progress: s += 'P'; break;
      case TWorkerCall::Terminate: s += 'T'; break;
    }
  }
  return s;
}
