#include "framework/Graphics.h"

#include <iterator>
#include <map>
#include <vector>

COLORREF ColorToRGB(TColor c) {
  if (c & 0xFF000000u) return GetSysColor(static_cast<int>(c & 0xFF));
  return c;
}

// A list paints thousands of cells in a handful of colours: each brush is
// made once. Painting happens on the user-interface thread only.
HBRUSH SolidBrush(TColor c) {
  if (c & 0xFF000000u) return GetSysColorBrush(static_cast<int>(c & 0xFF));
  static std::map<COLORREF, TGdiObject> brushes;
  // None of them is left selected anywhere, so all may go at once.
  if (brushes.size() >= 256) brushes.clear();
  TGdiObject& b = brushes[c];
  if (!b) b.Reset(CreateSolidBrush(c));
  return static_cast<HBRUSH>(b.Get());
}

TFont::TFont() : Name("MS Sans Serif") {}

bool TFont::operator==(const TFont& o) const {
  return Name == o.Name && Size == o.Size && Bold == o.Bold && Italic == o.Italic &&
         Underline == o.Underline && StrikeOut == o.StrikeOut && Charset == o.Charset && Color == o.Color;
}

HFONT TFont::Handle() const {
  std::string key = Name + '/' + std::to_string(Size) + (Bold ? "b" : "") + (Italic ? "i" : "") +
                    (Underline ? "u" : "") + (StrikeOut ? "s" : "") + '/' + std::to_string(Charset);
  if (!handle_ || madeFor_ != key) {
    LOGFONTA lf{};
    lf.lfHeight = PixelHeight();
    lf.lfWeight = Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = Italic;
    lf.lfUnderline = Underline;
    lf.lfStrikeOut = StrikeOut;
    lf.lfCharSet = Charset;
    lstrcpynA(lf.lfFaceName, Name.c_str(), LF_FACESIZE);
    handle_ = std::make_shared<TGdiObject>(CreateFontIndirectA(&lf));
    madeFor_ = key;
  }
  return static_cast<HFONT>(handle_->Get());
}

TCanvas::TCanvas(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}

TCanvas::~TCanvas() { RestoreDC(dc_, saved_); }

void TCanvas::SetFont(const TFont& f) {
  font_ = f;
  SelectObject(dc_, font_.Handle());
  SetTextColor(dc_, ColorToRGB(f.Color));
}

void TCanvas::SetPenColor(TColor c) {
  TGdiObject pen(CreatePen(PS_SOLID, 1, ColorToRGB(c)));
  SelectObject(dc_, pen.Get());
  pen_ = std::move(pen);  // the old pen is no longer selected, so it may go
}

void TCanvas::FillRect(const RECT& r) { ::FillRect(dc_, &r, SolidBrush(brush_)); }

void TCanvas::FrameRect(const RECT& r) { ::FrameRect(dc_, &r, SolidBrush(brush_)); }

void TCanvas::Rectangle(const RECT& r) {
  TSelectObject select(dc_, SolidBrush(brush_));
  ::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
}

void TCanvas::Polygon(std::initializer_list<POINT> points) {
  TSelectObject select(dc_, SolidBrush(brush_));
  ::Polygon(dc_, std::data(points), static_cast<int>(points.size()));
}

// Left to itself, Wine under X advances many characters a pixel more or
// less than it measures them: words drawn one by one join or drift apart,
// and a text given exactly its extent loses its last character. The
// measured advances are handed over with the text instead.
void TCanvas::PlacedText(int x, int y, UINT options, const RECT* r, const std::string& s) {
  if (s.empty() && !(options & ETO_OPAQUE)) return;
  const int n = static_cast<int>(s.size());
  std::vector<INT> advances(s.size() + 1);
  SIZE total{};
  if (n > 0 && GetTextExtentExPointA(dc_, s.data(), n, 0, nullptr, advances.data(), &total)) {
    for (int i = n - 1; i > 0; --i) advances[i] -= advances[i - 1];
  }
  ExtTextOutA(dc_, x, y, options, r, s.data(), static_cast<UINT>(n), advances.data());
}

void TCanvas::TextOut(int x, int y, const std::string& s) {
  SetBkMode(dc_, TRANSPARENT);
  PlacedText(x, y, 0, nullptr, s);
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& s) {
  SetBkMode(dc_, OPAQUE);
  SetBkColor(dc_, ColorToRGB(brush_));
  PlacedText(x, y, ETO_CLIPPED | ETO_OPAQUE, &r, s);
}

void TCanvas::CaptionOut(const RECT& r, const std::string& caption, UINT format) {
  size_t marked = std::string::npos;
  const std::string text = (format & DT_NOPREFIX) ? caption : WithoutMnemonic(caption, &marked);
  const SIZE size = TextExtent(text);
  int x = r.left, y = r.top;
  if (format & DT_CENTER) x = (r.left + r.right - size.cx) / 2;
  else if (format & DT_RIGHT) x = r.right - size.cx;
  if (format & DT_VCENTER) y = (r.top + r.bottom - size.cy) / 2;
  SetBkMode(dc_, TRANSPARENT);
  PlacedText(x, y, ETO_CLIPPED, &r, text);
  if (marked == std::string::npos || (format & DT_HIDEPREFIX)) return;
  TEXTMETRICA tm{};
  GetTextMetricsA(dc_, &tm);
  const int left = x + TextWidth(text.substr(0, marked));
  RECT line{left, y + tm.tmAscent + 1, left + TextWidth(text.substr(marked, 1)), y + tm.tmAscent + 2};
  IntersectRect(&line, &line, &r);
  ::FillRect(dc_, &line, SolidBrush(GetTextColor(dc_)));
}

std::string WithoutMnemonic(const std::string& caption, size_t* underlined) {
  std::string shown;
  if (underlined) *underlined = std::string::npos;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != '&' && underlined && *underlined == std::string::npos) *underlined = shown.size();
    }
    shown += caption[i];
  }
  return shown;
}

SIZE TCanvas::TextExtent(const std::string& s) const {
  SIZE sz{};
  GetTextExtentPoint32A(dc_, s.data(), static_cast<int>(s.size()), &sz);
  return sz;
}

void TCanvas::Draw(int x, int y, HBITMAP bmp) {
  BITMAP bm{};
  if (!bmp || !GetObjectA(bmp, sizeof bm, &bm)) return;
  TMemoryDC mem(dc_);
  TSelectObject select(mem.Get(), bmp);
  BitBlt(dc_, x, y, bm.bmWidth, bm.bmHeight, mem.Get(), 0, 0, SRCCOPY);
}

void TCanvas::Draw(int x, int y, HIMAGELIST list, int index, UINT style) {
  if (list) ImageList_Draw(list, index, dc_, x, y, style);
}

SIZE ScreenTextExtent(const TFont& font, const std::string& s) {
  TWindowDC screen;
  TCanvas c(screen.Get());
  c.SetFont(font);
  return c.TextExtent(s);
}

void TBitmap::SetSize(int w, int h) {
  TWindowDC screen;
  bmp_.Reset(CreateCompatibleBitmap(screen.Get(), w, h));
  w_ = w;
  h_ = h;
}

void TBitmap::Assign(HBITMAP h) {
  bmp_.Reset(h);
  BITMAP bm{};
  if (h && GetObjectA(h, sizeof bm, &bm)) {
    w_ = bm.bmWidth;
    h_ = bm.bmHeight;
  } else {
    w_ = h_ = 0;
  }
}

TImageList::TImageList(int w, int h)
    : h_(ImageList_Create(w, h, ILC_COLOR24 | ILC_MASK, 4, 4)), w_(w), hgt_(h) {}

TImageList::~TImageList() {
  if (h_) ImageList_Destroy(h_);
}

int TImageList::Add(const TBitmap& bmp, COLORREF maskColor) {
  return ImageList_AddMasked(h_, bmp.Handle(), maskColor);
}

void TImageList::Draw(TCanvas& c, int x, int y, int index, bool enabled) const {
  ImageList_DrawEx(h_, index, c.Handle(), x, y, 0, 0, CLR_NONE, CLR_DEFAULT,
                   enabled ? ILD_TRANSPARENT : ILD_TRANSPARENT | ILD_BLEND50);
}

HBITMAP LoadBitmapResource(const char* name) {
  return static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HBITMAP LoadMenuBitmap(const char* name) {
  HBITMAP bmp = LoadBitmapResource(name);
  DIBSECTION dib{};
  if (!bmp || GetObjectA(bmp, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 24) return bmp;
  auto* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
  const int w = dib.dsBm.bmWidth, h = dib.dsBm.bmHeight, stride = dib.dsBm.bmWidthBytes;
  // Bottom-up rows: the first row in memory is the picture's bottom one.
  const bool bottomUp = dib.dsBmih.biHeight > 0;
  const BYTE* key = bits + (bottomUp ? 0 : (h - 1) * stride);
  const BYTE k0 = key[0], k1 = key[1], k2 = key[2];
  const COLORREF menu = GetSysColor(COLOR_MENU);
  for (int y = 0; y < h; ++y) {
    BYTE* p = bits + y * stride;
    for (int x = 0; x < w; ++x, p += 3)
      if (p[0] == k0 && p[1] == k1 && p[2] == k2) {
        p[0] = GetBValue(menu);
        p[1] = GetGValue(menu);
        p[2] = GetRValue(menu);
      }
  }
  return bmp;
}
