#pragma once
#include "controls/ButtonsNew.h"
#include "framework/StdCtrls.h"

// A push button that shows a second font while the mouse is over it, and may
// show a glyph beside its caption: one bitmap of up to four images side by
// side (up, disabled, down, exclusive), its bottom-left pixel the transparent
// colour. With a glyph the button draws itself.
class TPylBitBtn : public TButton {
 public:
  explicit TPylBitBtn(TWinControl* parent, const std::string& caption = {}) : TButton(parent, caption) {}
  bool UseNewStyle = false;
  const TFont& NewFont() const { return newFont_; }
  void SetNewFont(const TFont& f) { newFont_ = f; }
  void MouseEnter() override;
  void MouseLeave() override;

  // Takes over bmp (nullptr: no glyph). numGlyphs 0: as many square images as
  // the bitmap holds.
  void SetGlyph(HBITMAP bmp, int numGlyphs = 0);
  // The named bitmap of the program's resources; false when there is none.
  bool LoadGlyph(const char* resourceName, int numGlyphs = 0);
  bool HasGlyph() const { return !glyph_.Glyph.Empty(); }
  int NumGlyphs() const { return glyph_.NumGlyphs; }
  HBITMAP GlyphHandle() const { return glyph_.Glyph.Handle(); }
  // The least width that shows the glyph and the whole caption.
  int FitWidth() const;
  int Spacing = 4;
  int Margin = -1;  // -1: glyph and caption centred together

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool HandleDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  TFont newFont_;
  TFont heldFont_;
  TButtonGlyphNew glyph_;
};
