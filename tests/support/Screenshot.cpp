#include "Screenshot.h"

#include <vector>

#include "framework/Handles.h"

bool SaveWindowShot(HWND hwnd, const std::string& path) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER bi{sizeof bi, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
  std::vector<BYTE> bits(stride * static_cast<DWORD>(h));
  GetDIBits(mem, bmp, 0, static_cast<UINT>(h), bits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(bits.size());
  THandle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!f) return false;
  DWORD done = 0;
  return WriteFile(f.Get(), &fh, sizeof fh, &done, nullptr) && WriteFile(f.Get(), &bi, sizeof bi, &done, nullptr) &&
         WriteFile(f.Get(), bits.data(), static_cast<DWORD>(bits.size()), &done, nullptr);
}
