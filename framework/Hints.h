#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Graphics.h"

class TControl;

// The text before the first "|" of a hint; the rest is the long hint.
std::string GetShortHint(const std::string& hint);

// Shows the short hint of the control under the mouse in a popup below the
// pointer after a pause, and hides it after a while, on a click, a key or the
// wheel, or when the mouse goes to another control. The application's message
// loop hands it every queued message of its thread.
class THintManager {
 public:
  THintManager();
  ~THintManager();
  THintManager(const THintManager&) = delete;
  THintManager& operator=(const THintManager&) = delete;

  UINT HintPause = 500;       // milliseconds at rest before a hint shows
  UINT HintShortPause = 50;   // when another hint was showing
  UINT HintHidePause = 2500;  // milliseconds a hint stays
  // Runs as a hint is about to show; it may change the text, or empty it to
  // keep the hint away.
  std::function<void(std::string& hint, const TControl& control)> OnShowHint;

  void Message(const MSG& msg);
  // A control going away must not be pointed at any more (the controls tell).
  void ControlGone(const TControl* c);
  void CancelHint();
  // The popup while it shows a hint (its window text is the hint), else nullptr.
  HWND ShownHint() const;

 private:
  void Over(TControl* c, POINT screen);
  void StartTimer(UINT ms);
  void StopTimer();
  void TimerFired();
  void ShowHintWindow(const std::string& text);
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

  TControl* control_ = nullptr;  // the control under the mouse
  bool cancelled_ = false;       // its hint was ended and stays away
  POINT point_{};                // the pointer on the screen
  UINT_PTR timer_ = 0;
  HWND window_ = nullptr;
  TGdiObject font_;
};

THintManager& Hints();
