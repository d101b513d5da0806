#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class TForm;
class TWinControl;

// What a keyboard-only user meets in one window, as a row of a table.
// Controls are named by their own text without the "&" (buttons, check
// boxes, radio buttons), else by the label made just before them or the
// label or group box whose letter leads to them, else by their type; "..."
// stands for a run of stops outside the scope toured.
struct TTourPlan {
  // The focused control at the start, then after each Tab until the focus is
  // back at the first (not repeated): every enabled, visible tab stop once.
  // Shift+Tab must walk the same stops backwards.
  std::vector<std::string> Order;
  // Every mnemonic of the texts shown, each letter once. Alt+letter must press
  // the button, toggle the check box, choose the radio button, or move the
  // focus to the control after a label or group box that carries it.
  std::string Letters;
  // What Enter, then Esc, does from the first stop: the button pressed, or
  // "mrOk", "mrCancel" for a modal run ended without one, or "" for nothing.
  std::string Enter, Esc;
};

// Tours the window holding scope (or scope itself) by real keys and checks
// each step of the plan against the focus and the controls read back. The
// buttons only record their presses meanwhile: no button's work runs, and a
// modal run that a key ends is taken up again. Modal forms are toured from
// a timer while they run.
void TourWindow(HWND scope, const TTourPlan& plan);

// A key as the keyboard gives it, with a modifier (VK_SHIFT, VK_MENU,
// VK_CONTROL) held, to the focused window; returns once it has been handled.
void TourKey(WORD vk, WORD modifier = 0);

// Focuses the control, shows the focus as keyboard use does, and saves the
// window's picture (see SaveWindowShot).
testing::AssertionResult FocusShot(TWinControl& control, const std::string& path);

// The name the tour gives a control (see TTourPlan).
std::string TourName(HWND control);

// Runs the form modally, tours it once it shows and then ends the run.
void TourModal(TForm& form, const TTourPlan& plan);
