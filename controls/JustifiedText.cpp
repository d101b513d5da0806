#include "controls/JustifiedText.h"

#include <vector>

TJustifiedWordHook JustifiedWordHook;

namespace {

class TJustifiedPainter {
 public:
  TJustifiedPainter(TCanvas& c, int boxWidth, int firstY)
      : c_(c), usable_(boxWidth - 28), y_(firstY), step_(c.TextHeight("Tg") + 5), blank_(c.TextWidth(" ")) {
    Reset();
  }

  void Paint(const std::string& text) {
    std::string word;
    for (size_t i = 0; i < text.size(); ++i) {
      const bool last = i + 1 == text.size();
      if (text[i] != ' ') word += text[i];
      if (text[i] != ' ' && !last) continue;
      const int ww = c_.TextWidth(word);
      if (!last && width_ + blank_ + ww <= usable_) {
        words_.push_back(word);
        width_ += blank_ + ww;
      } else {
        DrawLine(word);
      }
      word.clear();
    }
    if (!words_.empty()) DrawLine(word);
  }

 private:
  void Reset() {
    words_.clear();
    width_ = -blank_;
  }

  // Draws the line, taking the pending word into it when it fits or when
  // the line would otherwise hold fewer than two words; else the pending
  // word starts the next line.
  void DrawLine(std::string& pending) {
    const int n = static_cast<int>(words_.size());
    int gap = blank_;
    if (width_ + c_.TextWidth(pending) + blank_ < usable_ || n < 2) {
      words_.push_back(pending);
      pending.clear();
    } else {
      gap = (usable_ - width_ + (n - 1) * blank_) / (n - 1);
    }
    int x = 12;
    for (const std::string& w : words_) {
      if (!w.empty()) {
        c_.TextOut(x, y_, w);
        if (JustifiedWordHook) JustifiedWordHook(w, x, y_);
      }
      x += c_.TextWidth(w) + gap;
    }
    y_ += step_;
    Reset();
    if (!pending.empty()) {
      words_.push_back(pending);
      width_ = c_.TextWidth(pending);
    }
  }

  TCanvas& c_;
  const int usable_;
  int y_;
  const int step_;
  const int blank_;
  std::vector<std::string> words_;
  int width_ = 0;
};

}  // namespace

void PaintJustifiedText(TCanvas& canvas, const std::string& text, int boxWidth, int firstY) {
  TJustifiedPainter(canvas, boxWidth, firstY).Paint(text);
}
