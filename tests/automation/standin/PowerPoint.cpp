#include "Standin.h"

// Presentation files: "slide" lines, each followed by its
// "shape<TAB>hasText<TAB>text" lines.
namespace {

struct TShape {
  bool hasText = false;
  std::wstring text;
};

struct TDeck {
  std::vector<std::vector<TShape>> slides;
};

struct TModel {
  std::vector<std::shared_ptr<TDeck>> decks;
};

std::shared_ptr<TDeck> LoadDeck(const std::wstring& path) {
  auto lines = ReadLines(path);
  if (lines.empty()) throw TStandinError{};
  auto deck = std::make_shared<TDeck>();
  for (const auto& line : lines) {
    auto f = SplitTabs(line);
    f.resize(3);
    if (f[0] == L"slide") deck->slides.emplace_back();
    else if (f[0] == L"shape" && !deck->slides.empty()) deck->slides.back().push_back({f[1] == L"1", f[2]});
  }
  return deck;
}

void SaveDeck(const TDeck& deck, const std::wstring& path) {
  std::vector<std::wstring> lines;
  for (const auto& slide : deck.slides) {
    lines.push_back(L"slide");
    for (const auto& s : slide) lines.push_back(std::wstring(L"shape\t") + (s.hasText ? L"1" : L"0") + L"\t" + s.text);
  }
  WriteLines(path, lines);
}

class TTextRange : public TStandinObject {
 public:
  explicit TTextRange(TShape& s) : TStandinObject("textrange"), s_(s) {}
  bool Member(const std::string& n, bool put, const TArgs& a, VARIANT* res) override {
    if (n != "text") return false;
    if (put) s_.text = ArgWide(a, a.size() - 1);
    else SetWide(res, s_.text);
    return true;
  }

 private:
  TShape& s_;
};

class TTextFrame : public TStandinObject {
 public:
  explicit TTextFrame(TShape& s) : TStandinObject("textframe"), s_(s) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n == "hastext") SetInt(res, s_.hasText ? -1 : 0);
    else if (n == "textrange" && s_.hasText) SetObject(res, new TTextRange(s_));
    else if (n == "textrange") throw TStandinError{};
    else return false;
    return true;
  }

 private:
  TShape& s_;
};

// Objects below hold the deck alive; shapes are reached by reference into it.
class TShapeObj : public TStandinObject {
 public:
  TShapeObj(std::shared_ptr<TDeck> d, size_t s, size_t h) : TStandinObject("shape"), d_(std::move(d)), s_(s), h_(h) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n != "textframe") return false;
    SetObject(res, new TTextFrame(d_->slides[s_][h_]));
    return true;
  }

 private:
  std::shared_ptr<TDeck> d_;
  size_t s_, h_;
};

class TShapes : public TStandinObject {
 public:
  TShapes(std::shared_ptr<TDeck> d, size_t s) : TStandinObject("shapes"), d_(std::move(d)), s_(s) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    const int count = static_cast<int>(d_->slides[s_].size());
    if (n == "count") SetInt(res, count);
    else if (n == "item") SetObject(res, new TShapeObj(d_, s_, ArgItem(a, count)));
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TDeck> d_;
  size_t s_;
};

class TSlide : public TStandinObject {
 public:
  TSlide(std::shared_ptr<TDeck> d, size_t s) : TStandinObject("slide"), d_(std::move(d)), s_(s) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n != "shapes") return false;
    SetObject(res, new TShapes(d_, s_));
    return true;
  }

 private:
  std::shared_ptr<TDeck> d_;
  size_t s_;
};

class TSlides : public TStandinObject {
 public:
  explicit TSlides(std::shared_ptr<TDeck> d) : TStandinObject("slides"), d_(std::move(d)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    const int count = static_cast<int>(d_->slides.size());
    if (n == "count") SetInt(res, count);
    else if (n == "item") SetObject(res, new TSlide(d_, ArgItem(a, count)));
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TDeck> d_;
};

class TPresentation : public TStandinObject {
 public:
  TPresentation(std::shared_ptr<TModel> m, std::shared_ptr<TDeck> d, std::wstring path)
      : TStandinObject("presentation"), m_(std::move(m)), d_(std::move(d)), path_(std::move(path)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "close") std::erase(m_->decks, d_);
    else if (n == "save") SaveDeck(*d_, path_);
    else if (n == "saveas") SaveDeck(*d_, ArgWide(a, 0));
    else if (n == "slides") SetObject(res, new TSlides(d_));
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TModel> m_;
  std::shared_ptr<TDeck> d_;
  std::wstring path_;
};

class TPresentations : public TStandinObject {
 public:
  explicit TPresentations(std::shared_ptr<TModel> m) : TStandinObject("presentations"), m_(std::move(m)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "count") SetInt(res, OpenDocuments(m_->decks.size()));
    else if (n == "open") {
      std::wstring path = ArgWide(a, 0);
      m_->decks.push_back(LoadDeck(path));
      SetObject(res, new TPresentation(m_, m_->decks.back(), path));
    } else return false;
    return true;
  }

 private:
  std::shared_ptr<TModel> m_;
};

class TApp : public TStandinObject {
 public:
  explicit TApp(std::shared_ptr<TModel> m) : TStandinObject("application"), m_(std::move(m)) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n == "presentations") SetObject(res, new TPresentations(m_));
    else if (n != "quit") return false;
    return true;
  }

 private:
  std::shared_ptr<TModel> m_;
};

}  // namespace

TStandinObject* NewPowerPointApplication() { return new TApp(std::make_shared<TModel>()); }
