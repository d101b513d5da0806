#include "controls/BrowserImages.h"

#include <initializer_list>

namespace {

constexpr COLORREF kMask = RGB(255, 0, 255);
constexpr COLORREF kOutline = RGB(96, 64, 0);
constexpr COLORREF kFolder = RGB(240, 200, 80);
constexpr COLORREF kFolderInside = RGB(200, 150, 40);

void Fill(TCanvas& c, COLORREF fill, std::initializer_list<POINT> points) {
  c.SetBrushColor(fill);
  c.Polygon(points);
}

void ClosedFolder(TCanvas& c) {
  c.SetPenColor(kOutline);
  Fill(c, kFolder, {{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}});
  c.MoveTo(2, 6);
  c.LineTo(14, 6);
}

void OpenFolder(TCanvas& c) {
  c.SetPenColor(kOutline);
  Fill(c, kFolderInside, {{1, 3}, {6, 3}, {7, 5}, {13, 5}, {13, 13}, {1, 13}});
  Fill(c, kFolder, {{4, 7}, {15, 7}, {12, 13}, {1, 13}});
}

void UpFolder(TCanvas& c) {
  ClosedFolder(c);
  c.SetPenColor(RGB(0, 128, 0));
  // A bent arrow: up from the folder's middle, then back to the left.
  for (int w = 0; w < 2; ++w) {
    c.MoveTo(10 + w, 11);
    c.LineTo(10 + w, 8);
    c.LineTo(5, 8 + w);
  }
  Fill(c, RGB(0, 128, 0), {{6, 5}, {6, 11}, {3, 8}});
}

void PlainFile(TCanvas& c) {
  c.SetPenColor(RGB(64, 64, 64));
  Fill(c, RGB(255, 255, 255), {{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}});
  c.MoveTo(10, 1);
  c.LineTo(10, 4);
  c.LineTo(13, 4);
  c.SetPenColor(RGB(160, 160, 160));
  for (int y = 6; y <= 12; y += 2) {
    c.MoveTo(5, y);
    c.LineTo(11, y);
  }
}

void SortUp(TCanvas& c) {
  c.SetPenColor(RGB(64, 64, 64));
  Fill(c, RGB(128, 128, 128), {{8, 4}, {12, 11}, {4, 11}});
}

void SortDown(TCanvas& c) {
  c.SetPenColor(RGB(64, 64, 64));
  Fill(c, RGB(128, 128, 128), {{4, 5}, {12, 5}, {8, 12}});
}

std::unique_ptr<TImageList> MakeList(std::initializer_list<void (*)(TCanvas&)> pictures) {
  auto list = std::make_unique<TImageList>(16, 16);
  for (auto draw : pictures) {
    TBitmap bmp(16, 16);
    bmp.Paint([draw](TCanvas& c) {
      c.SetBrushColor(kMask);
      c.FillRect({0, 0, 16, 16});
      draw(c);
    });
    list->Add(bmp, kMask);
  }
  return list;
}

}  // namespace

std::unique_ptr<TImageList> MakeImageListBrowser() { return MakeList({UpFolder, PlainFile, ClosedFolder, OpenFolder}); }

std::unique_ptr<TImageList> MakeUpDownImages() { return MakeList({SortUp, SortDown}); }
