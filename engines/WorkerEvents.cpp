#include "engines/WorkerEvents.h"

#include <exception>

#include "core/FileUtils.h"
#include "framework/OleAuto.h"

std::string ItemPath(const TSelectedItem& item) {
  return JoinPath(item.Folder ? item.Folder : "", item.Name ? item.Name : "");
}

int32_t RunWorkerJob(const TThread& thread, const std::function<void()>& job, std::string& errorText) {
  bool failed = false;
  {
    TComApartment com;
    try {
      job();
    } catch (const std::exception& e) {
      errorText = e.what();
      failed = true;
    } catch (...) {
      errorText = "?";
      failed = true;
    }
  }
  return thread.Terminated() || failed ? 1 : 2;
}
