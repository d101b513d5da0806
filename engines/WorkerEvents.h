#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/SelectedItem.h"
#include "framework/Thread.h"

// Events of the replace and batch replace workers, each called through
// Synchronize. The handler of OnGetNextFile stores the next item, or nil
// when none is left.
using TGetNextFileEvent = std::function<void(TThread* sender, TSelectedItem*& item)>;
using TFileDoneEvent = std::function<void(TThread* sender, TItemUpdate& status)>;
using TProgressEvent = std::function<void(TThread* sender, int32_t result, int32_t stage,
                                          int32_t matches, int64_t sizeBefore, int64_t sizeAfter)>;

// Events of the rename worker.
using TRenameDoneEvent = std::function<void(TThread* sender, const std::string& message)>;
using TRenameProgressEvent = std::function<void(TThread* sender, int32_t result)>;

// Text of the error raised when a worker has no OnGetNextFile handler.
constexpr const char* kNoGetNextFileText = "Please specify function";

// The full path of an item the owner handed out.
std::string ItemPath(const TSelectedItem& item);

// Runs a replace worker's job in the thread's own COM apartment, released
// after the job. No exception leaves: one ends the job, its text kept in
// errorText ("?" when it has none). The final state: 1 after a stop or a
// failure, 2 after a normal end.
int32_t RunWorkerJob(const TThread& thread, const std::function<void()>& job, std::string& errorText);
