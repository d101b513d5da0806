#include "engines/WorkerEvents.h"

#include <exception>

#include "framework/OleAuto.h"

std::string ItemPath(const TSelectedItem& item) {
  std::string path = item.Folder ? item.Folder : "";
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + (item.Name ? item.Name : "");
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
