#pragma once
#include <gtest/gtest.h>

#include <string>

#include "framework/Controls.h"

// Fails, naming the window, the control and its text, for every shown label,
// button, speed button, menu bar button, check box, radio button and combo
// box whose text is wider (a wrapped label: taller) than what shows of the
// control: its own area less its frame, box or arrow, cut by its parents'
// client areas and by windowed siblings that lie over the text. Every page
// of a page control counts as shown. A combo that lists fixed choices must
// show its widest choice.
testing::AssertionResult TextsFit(const TWinControl& window, const std::string& name);

// The texts of a shipped language file from beside the program, or the
// built-in ones for "". French has the longest texts of the shipped languages.
void UseLanguage(const std::string& file);

// TextsFit in English and in French, with a picture of the French window
// named after it; the window's forms take each language through the
// program's language change, and English is back at the end.
void ExpectTextsFit(const TWinControl& window, const std::string& name);
