#pragma once
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "framework/Handles.h"

// System colours as values that stand apart from RGB values (high byte set).
using TColor = DWORD;
constexpr TColor SysColor(int index) { return 0xFF000000u | static_cast<DWORD>(index); }
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clDefault = 0x20000000u;
COLORREF ColorToRGB(TColor c);
// A solid brush of the colour, shared and kept: the caller never frees it.
HBRUSH SolidBrush(TColor c);

// A font description; the handle is made when first asked for and shared by copies.
class TFont {
 public:
  TFont();
  std::string Name;
  int Size = 8;  // points at 96 DPI
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  BYTE Charset = DEFAULT_CHARSET;
  TColor Color = clWindowText;
  HFONT Handle() const;
  int PixelHeight() const { return -MulDiv(Size, 96, 72); }
  bool operator==(const TFont& o) const;

 private:
  mutable std::shared_ptr<TGdiObject> handle_;
  mutable std::string madeFor_;
};

// Drawing over a device context. Objects selected into it are put back on destruction.
class TCanvas {
 public:
  explicit TCanvas(HDC dc);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  HDC Handle() const { return dc_; }
  // False when r lies wholly outside what needs drawing.
  bool RectVisible(const RECT& r) const { return ::RectVisible(dc_, &r) != 0; }

  void SetFont(const TFont& f);
  void SetBrushColor(TColor c) { brush_ = c; }
  TColor BrushColor() const { return brush_; }
  void SetPenColor(TColor c);
  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);
  void Rectangle(const RECT& r);
  // Filled with the brush colour, outlined with the pen.
  void Polygon(std::initializer_list<POINT> points);
  void MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }
  void LineTo(int x, int y) { ::LineTo(dc_, x, y); }
  // Both put every character where TextExtent measured it.
  void TextOut(int x, int y, const std::string& s);
  // Clipped to r; the rest of r is filled with the brush colour (opaque).
  void TextRect(const RECT& r, int x, int y, const std::string& s);
  // One line placed in r by DT_LEFT, DT_CENTER, DT_RIGHT and DT_VCENTER,
  // clipped to it; unless DT_NOPREFIX, "&" underlines the next character
  // (hidden with DT_HIDEPREFIX) and "&&" shows one "&".
  void CaptionOut(const RECT& r, const std::string& caption, UINT format);
  SIZE TextExtent(const std::string& s) const;
  int TextWidth(const std::string& s) const { return TextExtent(s).cx; }
  int TextHeight(const std::string& s) const { return TextExtent(s).cy; }
  void DrawEdge(RECT r, UINT edge, UINT flags) { ::DrawEdge(dc_, &r, edge, flags); }
  void Draw(int x, int y, HBITMAP bmp);
  void Draw(int x, int y, HIMAGELIST list, int index, UINT style = ILD_TRANSPARENT);
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  int saved_;
  void PlacedText(int x, int y, UINT options, const RECT* r, const std::string& s);
  TColor brush_ = clWindow;
  TFont font_;
  TGdiObject pen_;
};

// A caption as shown: its mnemonic marks taken out ("&&" stays one "&");
// underlined, when given, gets the index of the marked character or npos.
std::string WithoutMnemonic(const std::string& caption, size_t* underlined = nullptr);

// The size of a text in a font on the screen.
SIZE ScreenTextExtent(const TFont& font, const std::string& s);

// A device-independent-size bitmap with its own memory canvas, for glyphs we draw.
class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(int w, int h) { SetSize(w, h); }
  void SetSize(int w, int h);
  bool Empty() const { return !bmp_.Get(); }
  int Width() const { return w_; }
  int Height() const { return h_; }
  HBITMAP Handle() const { return static_cast<HBITMAP>(bmp_.Get()); }
  // Takes over a bitmap handle made elsewhere (nullptr clears).
  void Assign(HBITMAP h);
  template <typename F>
  void Paint(F&& f) {
    TMemoryDC mem;
    TSelectObject select(mem.Get(), bmp_.Get());
    TCanvas c(mem.Get());
    f(c);
  }

 private:
  TGdiObject bmp_;
  int w_ = 0, h_ = 0;
};

// An image list; owns its handle unless it was given one to show (external).
class TImageList {
 public:
  TImageList(int w, int h);
  ~TImageList();
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;
  HIMAGELIST Handle() const { return h_; }
  int Width() const { return w_; }
  int Height() const { return h_ ? hgt_ : 0; }
  int Count() const { return h_ ? ImageList_GetImageCount(h_) : 0; }
  // Adds a bitmap; pixels of maskColor are transparent. Returns the index or -1.
  int Add(const TBitmap& bmp, COLORREF maskColor);
  int AddIcon(HICON icon) { return ImageList_AddIcon(h_, icon); }
  void Clear() { ImageList_RemoveAll(h_); }
  void Draw(TCanvas& c, int x, int y, int index, bool enabled = true) const;

 private:
  HIMAGELIST h_;
  int w_, hgt_;
};

// A bitmap resource of the program, or nullptr when it has none of that name.
HBITMAP LoadBitmapResource(const char* name);
// The same for a menu item: its transparent colour (the bottom-left pixel, as
// for button glyphs) becomes the menu's background, which menus do not mask.
HBITMAP LoadMenuBitmap(const char* name);
