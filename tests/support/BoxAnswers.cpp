#include "support/BoxAnswers.h"

namespace {

struct TFind {
  DWORD processId;
  HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND w, LPARAM p) {
  auto* find = reinterpret_cast<TFind*>(p);
  char cls[16] = "";
  GetClassNameA(w, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(w) || (find->processId && pid != find->processId))
    return TRUE;
  find->box = w;
  return FALSE;
}

std::string TextOf(HWND w) {
  char text[2048] = "";
  GetWindowTextA(w, text, sizeof text);
  return text;
}

}  // namespace

TBoxAnswers::TBoxAnswers(std::vector<TExpected> expected, DWORD processId)
    : expected_(std::move(expected)), processId_(processId), thread_([this] { Run(); }) {}

std::vector<TBoxAnswers::TShown> TBoxAnswers::Finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return shown_;
}

void TBoxAnswers::Run() {
  while (!stop_) {
    TFind find{processId_};
    EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&find));
    if (!find.box) {
      Sleep(10);
      continue;
    }
    Sleep(50);  // the box settles: its text and buttons are all there
    const std::string caption = TextOf(find.box);
    HWND label = GetDlgItem(find.box, 0xFFFF);
    shown_.emplace_back(caption, label ? TextOf(label) : std::string());
    const size_t next = answered_;
    const bool expected = next < expected_.size() && expected_[next].Caption == caption;
    if (expected && expected_[next].Before) expected_[next].Before();
    // Counted before the box goes, so that whoever waited on it sees it.
    if (expected) answered_ = next + 1;
    PostMessageA(find.box, WM_COMMAND, static_cast<WPARAM>(expected ? expected_[next].Answer : IDOK), 0);
    for (int i = 0; i < 500 && IsWindow(find.box) && IsWindowVisible(find.box); ++i) Sleep(10);
  }
}
