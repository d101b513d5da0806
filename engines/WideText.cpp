#include "engines/WideText.h"

#include <windows.h>

#include <list>

namespace {

bool IsWordDelimiter(wchar_t c) {
  return c == L'\r' || c == L'\n' || c == L' ' || (c >= 0x21 && c <= 0x2F) ||
         (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x5E) || c == 0x60 ||
         (c >= 0x7B && c <= 0x7E);
}

std::wstring ConvertCase(std::wstring s, bool upper) {
  if (!s.empty()) {
    if (upper) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    else CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
  }
  return s;
}

bool EndsInStar(const std::wstring& p) {
  bool star = false;
  for (size_t i = 0; i < p.size(); ++i) {
    star = p[i] == L'*';
    if (p[i] == L'~') ++i;
  }
  return star;
}

struct TPartial {
  int P;  // pattern position, 1-based
  int S;  // first text position
};

// One run of the matcher; positions are 1-based as in the match records.
class TWideMatcher {
 public:
  TWideMatcher(const std::wstring& text, const std::wstring& pattern, uint32_t flags,
               int edgeFlags)
      : text_(text), pattern_(pattern), flags_(flags), edge_(edgeFlags),
        upper_(flags & wfMatchCase ? pattern : ConvertCase(pattern, true)),
        lower_(flags & wfMatchCase ? pattern : ConvertCase(pattern, false)),
        len_(static_cast<int>(text.size())), plen_(static_cast<int>(pattern.size())),
        trailingStar_(EndsInStar(pattern)) {}

  int Run(int startPos, TWideMatchList* matchList) {
    int found = 0;
    const bool wholeWord = flags_ & wfWholeWord;
    for (cur_ = startPos == -1 ? 1 : startPos; cur_ <= len_; ++cur_) {
      if (mayStart_ && !(wholeWord && anchor_ == 1 && !IsBoundary(cur_ - 1))) {
        partials_.push_back({anchor_, anchor_ == 1 ? cur_ : anchorStart_});
        StarStep(partials_.back());
      }
      mayStart_ = true;
      const TPartial* complete = StepAll();
      if (!complete) continue;
      const TWideMatch m{complete->S, cur_};
      if (!(flags_ & wfWholeText) || (m.First == 1 && m.Last == len_)) {
        ++found;
        if (matchList) matchList->push_back(m);
      }
      partials_.clear();
      anchor_ = 1;
      mayStart_ = true;
      if (startPos != -1) break;
    }
    return found;
  }

 private:
  bool IsBoundary(int q) const {
    if (q < 1 || q > len_) return true;
    if ((edge_ & 1) && q == cur_ + 1) return true;
    if ((edge_ & 2) && q == cur_ - 1) return true;
    return IsWordDelimiter(text_[q - 1]);
  }

  bool StarStep(TPartial& m) {
    if (m.P > plen_ || pattern_[m.P - 1] != L'*') return true;
    if (m.P < anchor_) return false;
    while (m.P <= plen_ && pattern_[m.P - 1] == L'*') ++m.P;
    anchor_ = m.P;
    anchorStart_ = m.S;
    return true;
  }

  bool Step(TPartial& m) {
    const bool wholeWord = flags_ & wfWholeWord;
    bool ok = true;
    if (wholeWord && IsBoundary(cur_)) {
      ok = false;
      anchor_ = 1;
    }
    if (m.P <= plen_) {
      if (pattern_[m.P - 1] == L'?') {
        ++m.P;
      } else {
        if (pattern_[m.P - 1] == L'~') ++m.P;
        if (m.P <= plen_) {
          const wchar_t c = text_[cur_ - 1];
          ok = c == upper_[m.P - 1] || c == lower_[m.P - 1];
          if (ok) ++m.P;
        }
      }
      // A failed step must not take an escaped star for a wildcard.
      if (ok && !StarStep(m)) ok = false;
    }
    if (wholeWord && m.P > plen_ && !IsBoundary(cur_ + 1)) ok = false;
    return ok;
  }

  // Steps every partial match in order; returns the first complete one.
  const TPartial* StepAll() {
    for (auto it = partials_.begin(); it != partials_.end();) {
      if (!Step(*it)) {
        it = partials_.erase(it);
        continue;
      }
      if (it->P > plen_) {
        mayStart_ = false;
        if ((flags_ & wfWholeWord) || !trailingStar_ || cur_ == len_) return &*it;
      }
      ++it;
    }
    return nullptr;
  }

  const std::wstring& text_;
  const std::wstring& pattern_;
  const uint32_t flags_;
  const int edge_;
  const std::wstring upper_, lower_;
  const int len_, plen_;
  const bool trailingStar_;
  std::list<TPartial> partials_;
  int cur_ = 0;
  int anchor_ = 1;
  int anchorStart_ = 0;
  bool mayStart_ = true;
};

// The stretch strictly between findText and secondText of each match of
// findText*secondText.
void FindBetween(const std::wstring& text, const std::wstring& findText,
                 const std::wstring& secondText, uint32_t flags, TWideMatchList& out) {
  TWideMatchList ranges;
  FindWideMatches(text, findText + L"*" + secondText, -1, flags, &ranges, 0);
  for (const TWideMatch& r : ranges) {
    TWideMatchList head, tail;
    if (FindWideMatches(text, findText, r.First, flags, &head, 1) == 0) continue;
    const int p = head.front().Last + 1;
    if (FindWideMatches(text, secondText, p, flags, &tail, 2) == 0) continue;
    out.push_back({p, tail.front().First - 1});
  }
}

std::wstring Rebuild(TReplaceMode mode, const std::wstring& text, const std::wstring& replaceText,
                     const TWideMatchList& list) {
  std::wstring out;
  const int len = static_cast<int>(text.size());
  size_t k = 0;
  bool used = false;
  for (int i = 1; i <= len;) {
    if (used) {
      ++k;
      used = false;
    }
    const wchar_t c = text[i - 1];
    if (k >= list.size()) {
      out += c;
      ++i;
      continue;
    }
    const TWideMatch& cur = list[k];
    if (mode == rmInsAfter) {
      out += c;
      if (i == cur.Last) {
        out += replaceText;
        used = true;
      }
      ++i;
    } else if (mode == rmInsBefore) {
      if (i == cur.First) {
        out += replaceText;
        used = true;
      }
      out += c;
      ++i;
    } else if (i == cur.First) {
      out += replaceText;
      used = true;
      i = cur.Last + 1;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

}  // namespace

int FindWideMatches(const std::wstring& text, const std::wstring& pattern, int startPos,
                    uint32_t flags, TWideMatchList* matchList, int edgeFlags) {
  if (pattern.empty()) return 0;
  return TWideMatcher(text, pattern, flags, edgeFlags).Run(startPos, matchList);
}

std::wstring ReplaceInWideText(TReplaceMode mode, int32_t& matchCount, const std::wstring& text,
                               const std::wstring& findText, const std::wstring& secondText,
                               const std::wstring& replaceText, uint32_t flags,
                               TWideMatchList* matchList) {
  TWideMatchList own;
  TWideMatchList& list = matchList ? *matchList : own;
  const std::wstring replacement = mode == rmDelete ? std::wstring() : replaceText;
  if (mode == rmInsBetween && secondText.empty()) mode = rmInsAfter;
  if (mode == rmInsBetween) {
    FindBetween(text, findText, secondText, flags, list);
    mode = rmReplace;
  } else {
    FindWideMatches(text, findText, -1, flags, &list, 0);
  }
  matchCount += static_cast<int32_t>(list.size());
  if (list.empty() || mode == rmJustFind) return text;
  return Rebuild(mode, text, replacement, list);
}
