#include "controls/DriveBar.h"

#include <shellapi.h>

#include <vector>

namespace {

constexpr uint32_t kLayoutDriveCombo = 0x08;

template <typename T>
std::vector<T*> ChildrenOf(TWinControl* panel) {
  std::vector<T*> found;
  for (TControl* c : panel->Controls())
    if (auto* t = dynamic_cast<T*>(c)) found.push_back(t);
  return found;
}

enum class TDriveArt { Basket, Network, Removable, Remote, CdRom, Hard };

TDriveArt ArtOf(const TDriveRecord& d) {
  if (d.Letter == '*') return TDriveArt::Basket;
  if (d.Letter == '\\') return TDriveArt::Network;
  switch (d.DriveType) {
    case DRIVE_REMOVABLE:
      return TDriveArt::Removable;
    case DRIVE_REMOTE:
    case DRIVE_RAMDISK:
      return TDriveArt::Remote;
    case DRIVE_CDROM:
      return TDriveArt::CdRom;
    default:
      return TDriveArt::Hard;
  }
}

// Our own 16 x 16 drive pictures on a magenta (transparent) ground.
void DrawDriveArt(TBitmap& bmp, TDriveArt art) {
  bmp.SetSize(16, 16);
  bmp.Paint([art](TCanvas& c) {
    c.SetBrushColor(RGB(255, 0, 255));
    c.FillRect({0, 0, 16, 16});
    c.SetPenColor(RGB(0, 0, 0));
    switch (art) {
      case TDriveArt::Basket:
        c.SetBrushColor(RGB(192, 128, 64));
        c.Rectangle({2, 6, 14, 15});
        c.MoveTo(4, 6);
        c.LineTo(8, 1);
        c.LineTo(12, 6);
        break;
      case TDriveArt::CdRom:
        c.SetBrushColor(RGB(192, 192, 192));
        Ellipse(c.Handle(), 1, 1, 15, 15);
        c.SetBrushColor(RGB(255, 255, 255));
        Ellipse(c.Handle(), 6, 6, 10, 10);
        break;
      case TDriveArt::Removable:
        c.SetBrushColor(RGB(0, 0, 160));
        c.Rectangle({2, 2, 14, 14});
        c.SetBrushColor(RGB(255, 255, 255));
        c.FillRect({5, 3, 11, 7});
        break;
      case TDriveArt::Network:
      case TDriveArt::Remote:
        c.SetBrushColor(RGB(160, 160, 160));
        c.Rectangle({1, 4, 15, 10});
        c.MoveTo(8, 10);
        c.LineTo(8, 14);
        c.MoveTo(3, 14);
        c.LineTo(13, 14);
        break;
      default:
        c.SetBrushColor(RGB(160, 160, 160));
        c.Rectangle({1, 5, 15, 12});
        c.SetBrushColor(RGB(0, 192, 0));
        c.FillRect({11, 8, 13, 10});
        break;
    }
  });
}

// The shell's small icon of the drive: its colour bitmap becomes the glyph
// and the button draws the system list's image; the icon itself is released.
bool TakeShellIcon(TDriveButton& b, const TDriveRecord& d) {
  SHFILEINFOA sfi{};
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  DWORD_PTR list = 0;
  if (d.ItemIdList) {
    list = SHGetFileInfoA(reinterpret_cast<LPCSTR>(d.ItemIdList), 0, &sfi, sizeof sfi,
                          SHGFI_PIDL | SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SYSICONINDEX);
  } else {
    const char path[] = {d.Letter, ':', '\\', 0};
    list = SHGetFileInfoA(path, 0, &sfi, sizeof sfi, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SYSICONINDEX);
  }
  SetErrorMode(oldMode);
  const TIcon icon(sfi.hIcon);
  if (!icon) return false;
  ICONINFO info{};
  const bool read = GetIconInfo(icon.Get(), &info);
  const TGdiObject mask(info.hbmMask);
  TGdiObject colour(info.hbmColor);
  if (!read || !colour) return false;
  b.SetGlyph(static_cast<HBITMAP>(colour.Release()));
  b.SetImageListGlyph(list ? reinterpret_cast<HIMAGELIST>(list) : nullptr, sfi.iIcon);
  return true;
}

void SetDriveGlyph(TDriveButton& b, const TDriveRecord& d) {
  b.SetNumGlyphs(1);
  b.SetImageListGlyph(nullptr, 0);
  if (d.Letter != '*' && TakeShellIcon(b, d)) return;
  DrawDriveArt(b.Glyph(), ArtOf(d));
  b.Invalidate();
}

}  // namespace

TDriveMenuButton::TDriveMenuButton(TWinControl* parent, HIMAGELIST images, TPopupMenu* menu)
    : TSpeedButtonNew(parent), images_(images), menu_(menu) {
  Flat = true;
  SetBounds(0, 0, 32, 22);
}

void TDriveMenuButton::Click() {
  TSpeedButtonNew::Click();
  if (!menu_ || !Parent()) return;
  POINT p{Left(), Top() + Height()};
  ClientToScreen(Parent()->Handle(), &p);
  menu_->Popup(p.x, p.y, Parent()->Handle());
}

void TDriveMenuButton::PaintControl(TCanvas& c) {
  TSpeedButtonNew::PaintControl(c);
  if (images_) c.Draw(3, 3, images_, 0);
  // the drop-down arrow
  for (int i = 0; i < 3; ++i) {
    c.MoveTo(24 + i, 10 + i);
    c.LineTo(29 - i, 10 + i);
  }
}

void BuildDriveBar(TWinControl* panel, const TDriveList& drives, int downIndex, HIMAGELIST images,
                   TPopupMenu* menu, const std::function<void(TDriveButton*)>& onClick) {
  for (TDriveMenuButton* m : ChildrenOf<TDriveMenuButton>(panel)) delete m;
  auto buttons = ChildrenOf<TDriveButton>(panel);
  while (buttons.size() > drives.size()) {
    delete buttons.front();
    buttons.erase(buttons.begin());
  }
  while (buttons.size() < drives.size()) {
    auto* b = new TDriveButton(panel);
    b->SetBounds(0, 1, 37, 22);
    b->Flat = true;
    b->GroupIndex = 1;
    buttons.push_back(b);
  }
  for (size_t i = 0; i < drives.size(); ++i) {
    TDriveButton* b = buttons[i];
    const TDriveRecord& d = *drives[i];
    b->Tag = static_cast<intptr_t>(i);
    b->OnClick = [b, onClick] {
      if (onClick) onClick(b);
    };
    b->Hint = d.DisplayText;
    b->ShowHint = true;
    b->SetCaption(std::string(1, d.Letter == '*' || d.Letter == '\\' ? d.Letter : static_cast<char>(toupper(d.Letter))));
    SetDriveGlyph(*b, d);
    if (static_cast<int>(i) == downIndex) b->SetDown(true);
  }
  new TDriveMenuButton(panel, images, menu);
}

void ArrangeDriveBar(TWinControl* panel, uint32_t layout) {
  const int width = panel->ClientRect().right;
  int x = 0, y = 1;
  bool first = true;
  auto place = [&](TControl* c) {
    if (!first && x + c->Width() - 10 > width) {
      y += 22;
      x = 0;
    }
    first = false;
    c->SetBounds(x, y, c->Width(), c->Height());
    c->Show();
    x += 40;
  };
  for (TDriveButton* b : ChildrenOf<TDriveButton>(panel)) place(b);
  for (TDriveMenuButton* m : ChildrenOf<TDriveMenuButton>(panel)) place(m);
  const bool comboShown = (layout & kLayoutDriveCombo) != 0;
  for (TControl* c : std::vector<TControl*>(panel->Controls())) {
    if (c->Tag != -1) continue;
    if (!comboShown && x + c->Width() > width) {
      y += 22;
      x = 0;
    }
    c->SetBounds(x, y, c->Width(), 20);
    if (!comboShown) x += c->Width();
  }
  panel->SetHeight(y + 22);
}
