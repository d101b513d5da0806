#include <algorithm>
#include <cwchar>

#include "Standin.h"

// Workbook files: "sheet<TAB>name<TAB>protected" lines, each followed by its
// "cell<TAB>row<TAB>col<TAB>kind<TAB>value<TAB>text<TAB>formula<TAB>font name
// <TAB>bold<TAB>italic<TAB>size<TAB>color<TAB>underline<TAB>interior" lines.
// Kinds: s string, n number, b boolean, f formula (value is its result).
namespace {

struct TCell {
  int row = 0, col = 0;
  std::wstring kind = L"s", value, text, formula;
  std::wstring fontName = L"Arial";
  int bold = 0, italic = 0, size = 10, color = 0, underline = -4142, interior = 16777215;
};

struct TSheet {
  std::wstring name;
  bool protectedContents = false;
  std::vector<TCell> cells;
  int activeRow = 1, activeCol = 1;
  TCell* Find(int r, int c) {
    for (auto& cell : cells)
      if (cell.row == r && cell.col == c) return &cell;
    return nullptr;
  }
  TCell& At(int r, int c) {
    if (TCell* cell = Find(r, c)) return *cell;
    cells.push_back({});
    cells.back().row = r;
    cells.back().col = c;
    return cells.back();
  }
};

struct TBook {
  std::vector<TSheet> sheets;
  int active = 0;
};

struct TModel {
  std::vector<std::shared_ptr<TBook>> books;
};

int ToInt(const std::wstring& s, int def) { return s.empty() ? def : _wtoi(s.c_str()); }

std::shared_ptr<TBook> LoadBook(const std::wstring& path) {
  auto lines = ReadLines(path);
  if (lines.empty()) throw TStandinError{};
  auto book = std::make_shared<TBook>();
  for (const auto& line : lines) {
    auto f = SplitTabs(line);
    f.resize(15);
    if (f[0] == L"sheet") {
      book->sheets.push_back({f[1], f[2] == L"1", {}, 1, 1});
    } else if (f[0] == L"cell" && !book->sheets.empty()) {
      TCell c;
      c.row = ToInt(f[1], 1);
      c.col = ToInt(f[2], 1);
      c.kind = f[3];
      c.value = f[4];
      c.text = f[5];
      c.formula = f[6];
      if (!f[7].empty()) c.fontName = f[7];
      c.bold = ToInt(f[8], 0);
      c.italic = ToInt(f[9], 0);
      c.size = ToInt(f[10], 10);
      c.color = ToInt(f[11], 0);
      c.underline = ToInt(f[12], -4142);
      c.interior = ToInt(f[13], 16777215);
      book->sheets.back().cells.push_back(c);
    }
  }
  return book;
}

void SaveBook(const TBook& book, const std::wstring& path) {
  std::vector<std::wstring> lines;
  for (const auto& s : book.sheets) {
    lines.push_back(L"sheet\t" + s.name + L"\t" + (s.protectedContents ? L"1" : L"0"));
    auto cells = s.cells;
    std::sort(cells.begin(), cells.end(),
              [](const TCell& a, const TCell& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; });
    for (const auto& c : cells)
      lines.push_back(L"cell\t" + std::to_wstring(c.row) + L"\t" + std::to_wstring(c.col) + L"\t" +
                      c.kind + L"\t" + c.value + L"\t" + c.text + L"\t" + c.formula + L"\t" +
                      c.fontName + L"\t" + std::to_wstring(c.bold) + L"\t" +
                      std::to_wstring(c.italic) + L"\t" + std::to_wstring(c.size) + L"\t" +
                      std::to_wstring(c.color) + L"\t" + std::to_wstring(c.underline) + L"\t" +
                      std::to_wstring(c.interior));
  }
  WriteLines(path, lines);
}

bool IsNumber(const std::wstring& s) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  wcstod(s.c_str(), &end);
  return *end == 0;
}

// A leading apostrophe makes the rest text, whatever it looks like.
void WriteContent(TCell& c, const std::wstring& s) {
  c.text = s;
  c.value = s;
  c.formula.clear();
  if (!s.empty() && s[0] == L'\'') {
    c.kind = L"s";
    c.text = c.value = s.substr(1);
  } else if (!s.empty() && s[0] == L'=') {
    c.kind = L"f";
    c.formula = s;
  } else {
    c.kind = IsNumber(s) ? L"n" : L"s";
  }
}

// The spreadsheet's find pattern: "*", "?", "~" escapes.
bool Glob(const wchar_t* p, const wchar_t* t, bool matchCase) {
  if (!*p) return !*t;
  if (*p == L'*') return Glob(p + 1, t, matchCase) || (*t && Glob(p, t + 1, matchCase));
  if (!*t) return false;
  if (*p == L'?') return Glob(p + 1, t + 1, matchCase);
  if (*p == L'~' && p[1]) ++p;
  bool same = matchCase ? *p == *t : towlower(*p) == towlower(*t);
  return same && Glob(p + 1, t + 1, matchCase);
}

class TApp;

class TFont : public TStandinObject {
 public:
  TFont(std::shared_ptr<TBook> b, int s, int r, int c)
      : TStandinObject("font"), b_(std::move(b)), s_(s), r_(r), c_(c) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    TCell& c = b_->sheets[s_].At(r_, c_);
    if (n == "bold") SetBool(res, c.bold);
    else if (n == "italic") SetBool(res, c.italic);
    else if (n == "color") SetDouble(res, c.color);
    else if (n == "size") SetDouble(res, c.size);
    else if (n == "name") SetWide(res, c.fontName);
    else if (n == "underline") SetInt(res, c.underline);
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TBook> b_;
  int s_, r_, c_;
};

class TInterior : public TStandinObject {
 public:
  TInterior(std::shared_ptr<TBook> b, int s, int r, int c)
      : TStandinObject("interior"), b_(std::move(b)), s_(s), r_(r), c_(c) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n != "color") return false;
    SetDouble(res, b_->sheets[s_].At(r_, c_).interior);
    return true;
  }

 private:
  std::shared_ptr<TBook> b_;
  int s_, r_, c_;
};

class TRange : public TStandinObject {
 public:
  TRange(std::shared_ptr<TBook> b, int s, int r, int c)
      : TStandinObject("range"), b_(std::move(b)), s_(s), r_(r), c_(c) {}
  int Row() const { return r_; }
  int Col() const { return c_; }
  bool Member(const std::string& n, bool put, const TArgs& a, VARIANT* res) override {
    TSheet& sheet = b_->sheets[s_];
    TCell* cell = sheet.Find(r_, c_);
    if (n == "row") SetInt(res, r_);
    else if (n == "column") SetInt(res, c_);
    else if (n == "activate") {
      b_->active = s_;
      sheet.activeRow = r_;
      sheet.activeCol = c_;
    } else if (n == "value" && !put) Value(cell, res);
    else if (n == "text") SetWide(res, !cell ? L"" : cell->text.empty() ? cell->value : cell->text);
    else if (n == "formula" && !put) SetWide(res, !cell ? L"" : cell->kind == L"f" ? cell->formula : cell->value);
    else if ((n == "formula" || n == "formular1c1" || n == "value") && put) WriteContent(sheet.At(r_, c_), ArgWide(a, a.size() - 1));
    else if (n == "interior") SetObject(res, new TInterior(b_, s_, r_, c_));
    else if (n == "font") SetObject(res, new TFont(b_, s_, r_, c_));
    else return false;
    return true;
  }

 private:
  static void Value(const TCell* c, VARIANT* res) {
    if (!c) return;
    if (c->kind == L"b") SetBool(res, c->value == L"1");
    else if ((c->kind == L"n" || c->kind == L"f") && IsNumber(c->value)) SetDouble(res, wcstod(c->value.c_str(), nullptr));
    else SetWide(res, c->value);
  }
  std::shared_ptr<TBook> b_;
  int s_, r_, c_;
};

class TCells : public TStandinObject {
 public:
  TCells(std::shared_ptr<TBook> b, int s) : TStandinObject("cells"), b_(std::move(b)), s_(s) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "item") SetObject(res, new TRange(b_, s_, ArgInt(a, 0, 1), ArgInt(a, 1, 1)));
    else if (n == "find") Find(a, res);
    else return false;
    return true;
  }

 private:
  void Find(const TArgs& a, VARIANT* res) {
    std::wstring pattern = L"*" + ArgWide(a, 0) + L"*";
    int r = 1, c = 1;
    if (ArgGiven(a, 1) && a[1]->vt == VT_DISPATCH) {
      auto* after = dynamic_cast<TRange*>(static_cast<TStandinObject*>(a[1]->pdispVal));
      if (after) r = after->Row(), c = after->Col();
    }
    const bool matchCase = ArgInt(a, 6, 0) != 0;
    auto cells = b_->sheets[s_].cells;
    std::sort(cells.begin(), cells.end(),
              [](const TCell& x, const TCell& y) { return x.row != y.row ? x.row < y.row : x.col < y.col; });
    auto after = [&](const TCell& x) { return x.row > r || (x.row == r && x.col > c); };
    std::stable_partition(cells.begin(), cells.end(), after);
    for (const auto& x : cells) {
      std::wstring t = x.text.empty() ? x.value : x.text;
      if (Glob(pattern.c_str(), t.c_str(), matchCase)) {
        SetObject(res, new TRange(b_, s_, x.row, x.col));
        return;
      }
    }
    SetNothing(res);
  }
  std::shared_ptr<TBook> b_;
  int s_;
};

class TSheetObj : public TStandinObject {
 public:
  TSheetObj(std::shared_ptr<TBook> b, int s) : TStandinObject("worksheet"), b_(std::move(b)), s_(s) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n == "index") SetInt(res, s_ + 1);
    else if (n == "protectcontents") SetBool(res, b_->sheets[s_].protectedContents);
    else if (n == "activate") b_->active = s_;
    else if (n == "cells") SetObject(res, new TCells(b_, s_));
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TBook> b_;
  int s_;
};

class TSheets : public TStandinObject {
 public:
  explicit TSheets(std::shared_ptr<TBook> b) : TStandinObject("worksheets"), b_(std::move(b)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    const int count = static_cast<int>(b_->sheets.size());
    if (n == "count") SetInt(res, count);
    else if (n == "item") SetObject(res, new TSheetObj(b_, static_cast<int>(ArgItem(a, count))));
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TBook> b_;
};

TStandinObject* NewApp(std::shared_ptr<TModel> m);

class TBookObj : public TStandinObject {
 public:
  TBookObj(std::shared_ptr<TModel> m, std::shared_ptr<TBook> b)
      : TStandinObject("workbook"), m_(std::move(m)), b_(std::move(b)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "close") std::erase(m_->books, b_);
    else if (n == "savecopyas") SaveBook(*b_, ArgWide(a, 0));
    else if (n == "worksheets") SetObject(res, new TSheets(b_));
    else if (n == "activesheet") {
      if (b_->sheets.empty()) SetNothing(res);
      else SetObject(res, new TSheetObj(b_, b_->active));
    } else if (n == "application") SetObject(res, NewApp(m_));
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TModel> m_;
  std::shared_ptr<TBook> b_;
};

class TBooks : public TStandinObject {
 public:
  explicit TBooks(std::shared_ptr<TModel> m) : TStandinObject("workbooks"), m_(std::move(m)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "count") SetInt(res, OpenDocuments(m_->books.size()));
    else if (n == "add") {
      m_->books.push_back(LoadBook(ArgWide(a, 0)));
      SetObject(res, new TBookObj(m_, m_->books.back()));
    } else return false;
    return true;
  }

 private:
  std::shared_ptr<TModel> m_;
};

class TApp : public TStandinObject {
 public:
  explicit TApp(std::shared_ptr<TModel> m) : TStandinObject("application"), m_(std::move(m)) {}
  bool Member(const std::string& n, bool put, const TArgs&, VARIANT* res) override {
    if (put && (n == "displayalerts" || n == "asktoupdatelinks" || n == "visible")) return true;
    if (n == "workbooks") SetObject(res, new TBooks(m_));
    else if (n == "quit") {}
    else if (n == "activecell" || n == "cells") {
      if (m_->books.empty()) throw TStandinError{};
      auto b = m_->books.back();
      TSheet& s = b->sheets.at(b->active);
      if (n == "cells") SetObject(res, new TCells(b, b->active));
      else SetObject(res, new TRange(b, b->active, s.activeRow, s.activeCol));
    } else return false;
    return true;
  }

 private:
  std::shared_ptr<TModel> m_;
};

TStandinObject* NewApp(std::shared_ptr<TModel> m) { return new TApp(std::move(m)); }

}  // namespace

TStandinObject* NewExcelApplication() { return new TApp(std::make_shared<TModel>()); }
