#include <cwctype>
#include <map>

#include "Standin.h"

// Document files: one "story<TAB>text" line per story, plus "protection<TAB>n".
// Stories: main; sh1, sf1, sh2, ... (header and footer of each section's
// current page); ph, pf (primary), fh, ff (first page), eh, ef (even pages);
// fn, en (notes).
namespace {

struct TDoc {
  std::wstring path;
  int protection = -1;
  std::map<std::wstring, std::wstring> stories;
  std::wstring story = L"main";
  int selStart = 0, selEnd = 0, section = 1, split = 0, viewType = 3;
  int Sections() const {
    int n = 0;
    while (stories.count(L"sh" + std::to_wstring(n + 1))) ++n;
    return n;
  }
  std::wstring& Text() { return stories[story]; }
  void Seek(const std::wstring& name) {
    if (!stories.count(name)) throw TStandinError{};
    story = name;
    selStart = selEnd = 0;
  }
};

struct TModel {
  std::vector<std::shared_ptr<TDoc>> docs;
};

std::shared_ptr<TDoc> LoadDoc(const std::wstring& path) {
  auto lines = ReadLines(path);
  if (lines.empty()) throw TStandinError{};
  auto doc = std::make_shared<TDoc>();
  doc->path = path;
  for (const auto& line : lines) {
    auto f = SplitTabs(line);
    f.resize(2);
    if (f[0] == L"protection") doc->protection = _wtoi(f[1].c_str());
    else doc->stories[f[0]] = f[1];
  }
  return doc;
}

void SaveDoc(const TDoc& doc, const std::wstring& path) {
  std::vector<std::wstring> lines{L"protection\t" + std::to_wstring(doc.protection)};
  for (const auto& [name, text] : doc.stories) lines.push_back(name + L"\t" + text);
  WriteLines(path, lines);
}

bool IsWordChar(wchar_t c) { return iswalnum(c) || c == L'_'; }

int FindFrom(const std::wstring& text, const std::wstring& what, size_t from, bool matchCase,
             bool wholeWord) {
  if (what.empty()) return -1;
  for (size_t i = from; i + what.size() <= text.size(); ++i) {
    bool same = true;
    for (size_t k = 0; k < what.size() && same; ++k)
      same = matchCase ? text[i + k] == what[k] : towlower(text[i + k]) == towlower(what[k]);
    if (!same) continue;
    if (wholeWord && ((i > 0 && IsWordChar(text[i - 1])) ||
                      (i + what.size() < text.size() && IsWordChar(text[i + what.size()]))))
      continue;
    return static_cast<int>(i);
  }
  return -1;
}

class TSimple : public TStandinObject {
 public:
  explicit TSimple(const char* cls) : TStandinObject(cls) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT*) override {
    return n == "clearformatting" || n == "defaulthighlightcolorindex";
  }
};

class TFind : public TStandinObject {
 public:
  explicit TFind(std::shared_ptr<TDoc> d) : TStandinObject("find"), d_(std::move(d)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "clearformatting") return true;
    if (n == "replacement") SetObject(res, new TSimple("replacement"));
    else if (n == "execute") SetBool(res, Execute(a));
    else return false;
    return true;
  }

 private:
  bool Execute(const TArgs& a) {
    // "^^" is the word processor's literal caret; other caret codes are
    // not modelled and fail as an unknown code would.
    std::wstring what;
    const std::wstring given = ArgWide(a, 0);
    for (size_t i = 0; i < given.size(); ++i) {
      if (given[i] == L'^' && (i + 1 == given.size() || given[++i] != L'^')) throw TStandinError{};
      what += given[i];
    }
    const bool matchCase = ArgInt(a, 1) != 0, wholeWord = ArgInt(a, 2) != 0;
    const std::wstring& text = d_->Text();
    int at = FindFrom(text, what, d_->selEnd, matchCase, wholeWord);
    if (at < 0 && ArgInt(a, 7) == 1) at = FindFrom(text, what, 0, matchCase, wholeWord);
    if (at < 0) return false;
    d_->selStart = at;
    d_->selEnd = at + static_cast<int>(what.size());
    return true;
  }
  std::shared_ptr<TDoc> d_;
};

class TSelection : public TStandinObject {
 public:
  explicit TSelection(std::shared_ptr<TDoc> d) : TStandinObject("selection"), d_(std::move(d)) {}
  bool Member(const std::string& n, bool put, const TArgs& a, VARIANT* res) override {
    TDoc& d = *d_;
    const int len = static_cast<int>(d.Text().size());
    if (n == "start" && put) d.selStart = std::min(ArgInt(a, a.size() - 1), len);
    else if (n == "end" && put) d.selEnd = std::min(ArgInt(a, a.size() - 1), len);
    else if (n == "start") SetInt(res, d.selStart);
    else if (n == "end") SetInt(res, d.selEnd);
    else if (n == "find") SetObject(res, new TFind(d_));
    else if (n == "text" && put) {
      std::wstring t = ArgWide(a, a.size() - 1);
      d.Text().replace(d.selStart, d.selEnd - d.selStart, t);
      d.selEnd = d.selStart + static_cast<int>(t.size());
    } else if (n == "insertafter") {
      std::wstring t = ArgWide(a, 0);
      d.Text().insert(d.selEnd, t);
      d.selEnd += static_cast<int>(t.size());
    } else if (n == "insertbefore") {
      std::wstring t = ArgWide(a, 0);
      d.Text().insert(d.selStart, t);
      d.selEnd += static_cast<int>(t.size());
    } else if (n == "endkey") d.selStart = d.selEnd = len;
    else if (n == "goto") {
      d.section = ArgInt(a, 2, 1);
      if (d.section > d.Sections()) throw TStandinError{};
    } else return false;
    return true;
  }

 private:
  std::shared_ptr<TDoc> d_;
};

// The pane's view: seeking picks the story the selection works in.
class TView : public TStandinObject {
 public:
  TView(std::shared_ptr<TDoc> d, bool pane) : TStandinObject(pane ? "paneview" : "view"), d_(std::move(d)) {}
  bool Member(const std::string& n, bool put, const TArgs& a, VARIANT* res) override {
    TDoc& d = *d_;
    const int v = put ? ArgInt(a, a.size() - 1) : 0;
    if (n == "type" && put) d.viewType = v;
    else if (n == "type") SetInt(res, d.viewType);
    else if (n == "splitspecial" && put) {
      d.split = v;
      if (v == 7 || v == 8) d.Seek(v == 7 ? L"fn" : L"en");
    } else if (n == "splitspecial") SetInt(res, d.split);
    else if (n == "seekview" && put) Seek(v);
    else return false;
    return true;
  }

 private:
  void Seek(int v) {
    TDoc& d = *d_;
    static const wchar_t* names[] = {L"main", L"ph", L"fh", L"eh", L"pf", L"ff", L"ef", L"fn", L"en"};
    if (v == 9 || v == 10) d.Seek((v == 9 ? L"sh" : L"sf") + std::to_wstring(d.section));
    else if (v >= 0 && v <= 8) d.Seek(names[v]);
    else throw TStandinError{};
  }
  std::shared_ptr<TDoc> d_;
};

class TPane : public TStandinObject {
 public:
  explicit TPane(std::shared_ptr<TDoc> d) : TStandinObject("pane"), d_(std::move(d)) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n == "view") SetObject(res, new TView(d_, true));
    else if (n == "close") d_->split = 0;
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TDoc> d_;
};

class TPanes : public TStandinObject {
 public:
  explicit TPanes(std::shared_ptr<TDoc> d) : TStandinObject("panes"), d_(std::move(d)) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n != "item") return false;
    SetObject(res, new TPane(d_));
    return true;
  }

 private:
  std::shared_ptr<TDoc> d_;
};

class TWindow : public TStandinObject {
 public:
  explicit TWindow(std::shared_ptr<TDoc> d) : TStandinObject("window"), d_(std::move(d)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "item") {
      ArgItem(a, 1);  // one window a document
      SetObject(res, new TWindow(d_));
    } else if (n == "selection") SetObject(res, new TSelection(d_));
    else if (n == "view") SetObject(res, new TView(d_, false));
    else if (n == "panes") SetObject(res, new TPanes(d_));
    else if (n == "activepane") SetObject(res, new TPane(d_));
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TDoc> d_;
};

class TCounted : public TStandinObject {
 public:
  TCounted(const char* cls, int count) : TStandinObject(cls), count_(count) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n != "count") return false;
    SetInt(res, count_);
    return true;
  }

 private:
  int count_;
};

class TPageSetup : public TStandinObject {
 public:
  explicit TPageSetup(std::shared_ptr<TDoc> d) : TStandinObject("pagesetup"), d_(std::move(d)) {}
  bool Member(const std::string& n, bool, const TArgs&, VARIANT* res) override {
    if (n == "differentfirstpageheaderfooter") SetInt(res, d_->stories.count(L"fh") ? -1 : 0);
    else if (n == "oddandevenpagesheaderfooter") SetInt(res, d_->stories.count(L"eh") ? -1 : 0);
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TDoc> d_;
};

TStandinObject* NewApp(std::shared_ptr<TModel> m);

class TDocument : public TStandinObject {
 public:
  TDocument(std::shared_ptr<TModel> m, std::shared_ptr<TDoc> d)
      : TStandinObject("document"), m_(std::move(m)), d_(std::move(d)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "protectiontype") SetInt(res, d_->protection);
    else if (n == "close") std::erase(m_->docs, d_);
    else if (n == "save") SaveDoc(*d_, d_->path);
    else if (n == "saveas") SaveDoc(*d_, ArgWide(a, 0));
    else if (n == "windows") SetObject(res, new TWindow(d_));
    else if (n == "sections") SetObject(res, new TCounted("sections", d_->Sections()));
    else if (n == "application") SetObject(res, NewApp(m_));
    else if (n == "pagesetup") SetObject(res, new TPageSetup(d_));
    else if (n == "footnotes") SetObject(res, new TCounted("footnotes", d_->stories.count(L"fn") ? 1 : 0));
    else if (n == "endnotes") SetObject(res, new TCounted("endnotes", d_->stories.count(L"en") ? 1 : 0));
    else return false;
    return true;
  }

 private:
  std::shared_ptr<TModel> m_;
  std::shared_ptr<TDoc> d_;
};

class TDocuments : public TStandinObject {
 public:
  explicit TDocuments(std::shared_ptr<TModel> m) : TStandinObject("documents"), m_(std::move(m)) {}
  bool Member(const std::string& n, bool, const TArgs& a, VARIANT* res) override {
    if (n == "count") SetInt(res, OpenDocuments(m_->docs.size()));
    else if (n == "open") {
      if (a.size() != 10) throw TStandinError{};
      m_->docs.push_back(LoadDoc(ArgWide(a, 0)));
      SetObject(res, new TDocument(m_, m_->docs.back()));
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
    if (put && (n == "displayalerts" || n == "visible")) return true;
    if (n == "documents") SetObject(res, new TDocuments(m_));
    else if (n == "options") SetObject(res, new TSimple("options"));
    else if (n == "selection") {
      if (m_->docs.empty()) throw TStandinError{};
      SetObject(res, new TSelection(m_->docs.back()));
    } else if (n != "quit") return false;
    return true;
  }

 private:
  std::shared_ptr<TModel> m_;
};

TStandinObject* NewApp(std::shared_ptr<TModel> m) { return new TApp(std::move(m)); }

}  // namespace

TStandinObject* NewWordApplication() { return new TApp(std::make_shared<TModel>()); }
