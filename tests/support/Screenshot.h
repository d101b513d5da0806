#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// A point of a window's client area and the colour the picture must show there.
struct TShotPoint {
  int x, y;
  COLORREF colour;
};

// Saves what the screen shows of a window as a 24-bit .bmp and checks the
// picture: it fails when the capture or the file fails, when the client area
// is blank (all but a few of its pixels one colour), or when a given point
// lacks its colour. Use it as EXPECT_TRUE(SaveWindowShot(...)).
testing::AssertionResult SaveWindowShot(HWND hwnd, const std::string& path,
                                        const std::vector<TShotPoint>& points = {});
