#include "Screenshot.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "framework/FileIO.h"
#include "framework/Graphics.h"
#include "support/MessagePump.h"

namespace {

// A client area with fewer differing pixels than this shows nothing: a
// window that was never painted, or the bare root of the virtual screen.
constexpr size_t kMinDifferingPixels = 50;

// The window's picture as bottom-up 24-bit rows, as a .bmp stores them.
struct TPicture {
  int width = 0, height = 0;
  DWORD stride = 0;
  std::vector<BYTE> bits;
  COLORREF At(int x, int y) const {
    const BYTE* p = &bits[DWORD(height - 1 - y) * stride + DWORD(x) * 3];
    return RGB(p[2], p[1], p[0]);
  }
};

std::string Hex(COLORREF c) {
  char s[16];
  snprintf(s, sizeof s, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return s;
}

testing::AssertionResult Capture(const RECT& r, TPicture& picture) {
  picture.width = r.right - r.left;
  picture.height = r.bottom - r.top;
  if (picture.width <= 0 || picture.height <= 0)
    return testing::AssertionFailure() << "window has no area";
  TWindowDC screen;
  TMemoryDC mem(screen.Get());
  TGdiObject bmp(CreateCompatibleBitmap(screen.Get(), picture.width, picture.height));
  if (!screen.Get() || !mem.Get() || !bmp.Get())
    return testing::AssertionFailure() << "no device context or bitmap for the capture";
  bool copied;
  {
    TSelectObject select(mem.Get(), bmp.Get());
    copied = BitBlt(mem.Get(), 0, 0, picture.width, picture.height, screen.Get(), r.left, r.top, SRCCOPY);
  }
  if (!copied) return testing::AssertionFailure() << "BitBlt from the screen failed";
  BITMAPINFOHEADER bi{sizeof bi, picture.width, picture.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  picture.stride = (DWORD(picture.width) * 3 + 3) & ~3u;
  picture.bits.resize(picture.stride * DWORD(picture.height));
  if (GetDIBits(mem.Get(), static_cast<HBITMAP>(bmp.Get()), 0, UINT(picture.height), picture.bits.data(),
                reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS) != picture.height)
    return testing::AssertionFailure() << "GetDIBits read fewer rows than the window has";
  return testing::AssertionSuccess();
}

bool WriteBitmap(const TPicture& picture, const std::string& path) {
  BITMAPINFOHEADER bi{sizeof bi, picture.width, picture.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + DWORD(picture.bits.size());
  std::string data(reinterpret_cast<const char*>(&fh), sizeof fh);
  data.append(reinterpret_cast<const char*>(&bi), sizeof bi);
  data.append(picture.bits.begin(), picture.bits.end());
  return WriteFileReplacing(path, data);
}

// Pixels of the client area that differ from its most common colour.
size_t DifferingPixels(const TPicture& picture, const RECT& client) {
  std::map<COLORREF, size_t> counts;
  for (int y = client.top; y < client.bottom; ++y)
    for (int x = client.left; x < client.right; ++x) ++counts[picture.At(x, y)];
  size_t most = 0, all = 0;
  for (const auto& [colour, n] : counts) {
    most = std::max(most, n);
    all += n;
  }
  return all - most;
}

// Checks one capture: the client area must show something, and each point its colour.
testing::AssertionResult CheckPicture(const TPicture& picture, RECT client, POINT origin, const RECT& window,
                                      const std::string& path, const std::vector<TShotPoint>& points) {
  OffsetRect(&client, origin.x - window.left, origin.y - window.top);
  const RECT whole{0, 0, picture.width, picture.height};
  IntersectRect(&client, &client, &whole);
  if (DifferingPixels(picture, client) < kMinDifferingPixels)
    return testing::AssertionFailure() << path << " is blank";
  for (const TShotPoint& p : points) {
    const int x = p.x + origin.x - window.left, y = p.y + origin.y - window.top;
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
      return testing::AssertionFailure() << path << ": point " << p.x << "," << p.y << " lies outside";
    if (picture.At(x, y) != p.colour)
      return testing::AssertionFailure() << path << ": point " << p.x << "," << p.y << " is "
                                         << Hex(picture.At(x, y)) << ", not " << Hex(p.colour);
  }
  return testing::AssertionSuccess();
}

}  // namespace

testing::AssertionResult SaveWindowShot(HWND hwnd, const std::string& path,
                                        const std::vector<TShotPoint>& points) {
  // On a loaded machine the X server may show a window some time after its
  // paint: capture again for a while before calling the picture wrong.
  const bool ownWindow = GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
  const DWORD end = GetTickCount() + 3000;
  for (;;) {
    RECT window, client;
    POINT origin{0, 0};
    if (!GetWindowRect(hwnd, &window) || !GetClientRect(hwnd, &client) || !ClientToScreen(hwnd, &origin))
      return testing::AssertionFailure() << "no such window";
    TPicture picture;
    if (auto captured = Capture(window, picture); !captured) return captured;
    testing::AssertionResult checked = CheckPicture(picture, client, origin, window, path, points);
    if (checked || static_cast<int>(end - GetTickCount()) <= 0) {
      if (!WriteBitmap(picture, path)) return testing::AssertionFailure() << "cannot write " << path;
      return checked;
    }
    if (ownWindow)
      Pump(50);
    else
      Sleep(50);
  }
}
