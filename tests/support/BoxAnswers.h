#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Answers message boxes from a thread of its own, as a user would: the
// expected boxes in turn, each found by its caption and answered with its
// button; a box with another caption is closed with OK. What every box said
// is kept, so a box that should not have come shows too.
class TBoxAnswers {
 public:
  struct TExpected {
    std::string Caption;
    int Answer;  // IDYES, IDNO, IDOK
    // Runs on the answering thread while the box is open, before the answer.
    std::function<void()> Before = {};
  };
  // Caption and text of a box that showed.
  using TShown = std::pair<std::string, std::string>;

  // processId: the boxes of that process only; 0 for any.
  explicit TBoxAnswers(std::vector<TExpected> expected, DWORD processId = GetCurrentProcessId());
  ~TBoxAnswers() { Finish(); }
  TBoxAnswers(const TBoxAnswers&) = delete;
  TBoxAnswers& operator=(const TBoxAnswers&) = delete;

  // Stops answering; every box seen, in order.
  std::vector<TShown> Finish();
  // Every expected box has been answered.
  bool AllAnswered() const { return answered_ == expected_.size(); }

 private:
  void Run();
  std::vector<TExpected> expected_;
  DWORD processId_;
  std::atomic<size_t> answered_{0};
  std::atomic<bool> stop_{false};
  std::vector<TShown> shown_;
  std::thread thread_;
};
