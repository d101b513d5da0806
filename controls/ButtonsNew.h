#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/Controls.h"

// The glyph painter of a speed button: its own bitmap (1 to 4 glyphs side by
// side: up, disabled, down, exclusive), or an image of an external list.
struct TButtonGlyphNew {
  TBitmap Glyph;
  int NumGlyphs = 1;
  HIMAGELIST ImageList = nullptr;  // not owned
  int ImageIndex = 0;
  SIZE Size() const;
  void Draw(TCanvas& c, int x, int y, bool enabled, bool down) const;
};

// A windowless button that never takes the focus; buttons of one non-zero
// GroupIndex in a parent act as radio buttons.
class TSpeedButtonNew : public TGraphicControl {
 public:
  explicit TSpeedButtonNew(TWinControl* parent);

  int GroupIndex = 0;
  bool AllowAllUp = false;
  bool Flat = false;
  bool Transparent = true;
  int Spacing = 4;
  int Margin = -1;  // -1: glyph and caption centred together

  bool Down() const { return down_; }
  void SetDown(bool d);
  void SetGlyph(HBITMAP bmp) {
    glyph_.Glyph.Assign(bmp);
    Invalidate();
  }
  TBitmap& Glyph() { return glyph_.Glyph; }
  // The size of the one glyph drawn; nothing without a glyph bitmap.
  SIZE GlyphSize() const { return glyph_.Size(); }
  // The least width that shows the glyph, the gap and the caption whole
  // within the frame.
  int FitWidth() const;
  void SetNumGlyphs(int n);
  int NumGlyphs() const { return glyph_.NumGlyphs; }
  // The next paint draws image index of the list (the list stays the caller's).
  void SetImageListGlyph(HIMAGELIST list, int index);
  void SetCaption(const std::string& s) override;

  void Click() override;
  void MouseDown(TMouseButton b, unsigned shift, int x, int y) override;
  void MouseUp(TMouseButton b, unsigned shift, int x, int y) override;
  void MouseMove(unsigned shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void PaintControl(TCanvas& c) override;

 protected:
  void CheckedFromAction(bool c) override { SetDown(c); }

 private:
  // Another button of the group went down.
  void ButtonPressed(int group, TSpeedButtonNew* sender);
  TButtonGlyphNew glyph_;
  bool down_ = false;
  bool pressing_ = false;  // left button held over us
  bool dragging_ = false;
};
