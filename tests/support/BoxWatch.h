#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A dialog box (class #32770) of this thread, as a watch saw it.
struct TSeenBox {
  std::string Caption;
  std::string Text;  // the texts of its static controls, joined by "|"
  HWND Owner = nullptr;
  bool OwnerEnabled = true;
  bool HasIcon = false;
  HICON Icon = nullptr;  // compare with LoadIcon(nullptr, IDI_WARNING) and the like
};

// While code under test runs a modal box on this thread, a timer finds each
// box, records it and answers it with a key (Enter presses the default
// button, Esc cancels). One watch at a time.
class TBoxWatch {
 public:
  explicit TBoxWatch(WORD answerKey = VK_RETURN);
  ~TBoxWatch();
  TBoxWatch(const TBoxWatch&) = delete;
  TBoxWatch& operator=(const TBoxWatch&) = delete;
  std::vector<TSeenBox> Boxes;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  WORD key_;
  UINT_PTR timer_;
  HWND answered_ = nullptr;
};

// The visible top-level windows of a class in this process.
std::vector<HWND> ProcessWindowsOfClass(const char* cls);
