#include "engines/wordModule97.h"

#include "framework/Thread.h"

namespace {

constexpr int kNoProtection = -1;
constexpr int kSeekMain = 0;

}  // namespace

struct TWordObject97::TJob {
  std::wstring findText, replaceText;
  uint32_t flags;
};

TWordObject97::TWordObject97(TThread* ownerThread) : OwnerThread(ownerThread) { Connect(); }

TWordObject97::~TWordObject97() {
  try {
    Disconnect(true);
  } catch (...) {
    // A dying server must not take the worker with it.
  }
}

void TWordObject97::Connect() {
  ServerObject = TryCreateOleObject("Word.Application");
  ServerStarted = !ServerObject.IsEmpty();
  if (ServerStarted) OlePut(ServerObject, "DisplayAlerts", 0);
}

void TWordObject97::Disconnect(bool quitServer) {
  if (quitServer && ServerStarted) {
    IgnoringOleErrors([&] {
      CloseDocument();
      if (DocumentCount() == 0)
        OleCall(ServerObject, "Quit", {0, TVariant::Missing(), TVariant::Missing()});
    });
  }
  DocumentObject.Clear();
  ServerObject.Clear();
}

void TWordObject97::SetVisible(bool value) { OlePut(ServerObject, "Visible", value ? -1 : 0); }

int TWordObject97::DocumentCount() {
  return OleGet(OleGet(ServerObject, "Documents"), "Count").ToInt();
}

void TWordObject97::OpenDocument(const std::string& fileName) {
  MatchCount = 0;
  OlePut(ServerObject, "DisplayAlerts", 0);
  const TVariant empty(std::wstring{});
  DocumentObject = OleCall(OleGet(ServerObject, "Documents"), "Open",
                           {TVariant(fileName), false, false, false, empty, empty, false, empty,
                            empty, 0});
}

bool TWordObject97::IsProtected() {
  if (DocumentObject.IsEmpty()) return true;
  return OleGet(DocumentObject, "ProtectionType").ToInt() != kNoProtection;
}

void TWordObject97::ReplaceAll(const std::wstring& findText, const std::wstring& replaceText,
                               uint32_t flags) {
  OlePut(OleGet(ServerObject, "Options"), "DefaultHighlightColorIndex", 0);
  const TJob job{findText, replaceText, flags};
  int total = 0;
  if (!(flags & wrfNoMainText)) total += FindReplaceLoop(job);
  if (!(flags & wrfNoHeadersFooters)) total += ReplaceInHeadersFooters(job);
  if (!(flags & wrfNoNotes)) total += ReplaceInNotes(job);
  MatchCount += total;
}

bool TWordObject97::IsTerminated() const { return OwnerThread && OwnerThread->Terminated(); }

TVariant TWordObject97::Window() const {
  return OleGet(OleGet(DocumentObject, "Windows"), "Item", {1});
}

TVariant TWordObject97::Selection() const { return OleGet(Window(), "Selection"); }

void TWordObject97::Seek(int value) const {
  OlePut(OleGet(OleGet(Window(), "ActivePane"), "View"), "SeekView", value);
}

int TWordObject97::FindReplaceLoop(const TJob& job) {
  if (IsTerminated()) throw EWorkStopped();
  TVariant sel = Selection();
  OlePut(sel, "Start", 0);
  OlePut(sel, "End", 0);
  int lastStart = 0, lastEnd = 0, stuck = 0, hits = 0;
  bool first = true;
  TVariant findText(job.findText);
  for (;;) {
    if (IsTerminated()) throw EWorkStopped();
    TVariant find = OleGet(sel, "Find");
    OleCall(find, "ClearFormatting");
    OleCall(OleGet(find, "Replacement"), "ClearFormatting");
    const bool found =
        OleCall(find, "Execute",
                {TVariant::ByRef(findText), (job.flags & wrfMatchCase) != 0,
                 (job.flags & wrfWholeWord) != 0, (job.flags & wrfWildcards) != 0, false, false,
                 true, 1, false, std::wstring(), 0})
            .ToBool();
    if (!found) break;
    if (!first) {
      const int start = OleGet(sel, "Start").ToInt();
      if (lastStart > start) break;  // wrapped to the start
      if (start == lastStart && lastStart != lastEnd) {
        if (++stuck > 1) break;
        continue;
      }
      if (OleGet(sel, "End").ToInt() <= lastEnd) {
        lastStart = start;
        continue;
      }
    }
    stuck = 0;
    switch (Mode) {
      case rmReplace:
      case rmBatch: OlePut(sel, "Text", job.replaceText); break;
      case rmDelete: OlePut(sel, "Text", std::wstring()); break;
      case rmInsAfter: OleCall(sel, "InsertAfter", {job.replaceText}); break;
      case rmInsBefore: OleCall(sel, "InsertBefore", {job.replaceText}); break;
      default: break;
    }
    lastStart = OleGet(sel, "Start").ToInt();
    lastEnd = OleGet(sel, "End").ToInt();
    first = false;
    ++hits;
  }
  return hits;
}

int TWordObject97::ReplaceInHeadersFooters(const TJob& job) {
  IgnoringOleErrors([&] {
    TVariant window = Window();
    if (OleGet(OleGet(window, "View"), "SplitSpecial").ToInt() != 0)
      OleCall(OleGet(OleGet(window, "Panes"), "Item", {2}), "Close");
    TVariant paneView = OleGet(OleGet(window, "ActivePane"), "View");
    if (OleGet(OleGet(window, "View"), "Type").ToInt() == 1 ||
        OleGet(paneView, "Type").ToInt() == 2)
      OlePut(paneView, "Type", 5);
  });
  int count = 0;
  // Hits already counted stay counted when a later seek fails.
  const auto headerAndFooter = [&](int header, int footer) {
    Seek(header);
    count += FindReplaceLoop(job);
    Seek(footer);
    count += FindReplaceLoop(job);
  };
  try {
    const int sections = OleGet(OleGet(DocumentObject, "Sections"), "Count").ToInt();
    if (sections != 0) {
      for (int i = 1; i <= sections; ++i) {
        OleCall(OleGet(OleGet(DocumentObject, "Application"), "Selection"), "GoTo", {0, 1, i});
        IgnoringOleErrors([&] {
          headerAndFooter(9, 10);
          Seek(kSeekMain);
        });
      }
      return count;
    }
  } catch (const EOleError&) {
  }
  static const struct {
    const char* setting;
    int header, footer;
  } kPageKinds[] = {{"DifferentFirstPageHeaderFooter", 2, 5}, {"OddAndEvenPagesHeaderFooter", 3, 6}};
  for (const auto& kind : kPageKinds) {
    IgnoringOleErrors([&] {
      if (OleGet(OleGet(DocumentObject, "PageSetup"), kind.setting).ToInt() == 0) return;
      headerAndFooter(kind.header, kind.footer);
    });
  }
  IgnoringOleErrors([&] {
    headerAndFooter(1, 4);
    Seek(kSeekMain);
  });
  return count;
}

int TWordObject97::ReplaceInNotes(const TJob& job) {
  int count = 0;
  const auto notes = [&](const char* collection, int value) {
    if (OleGet(OleGet(DocumentObject, collection), "Count").ToInt() == 0) return;
    IgnoringOleErrors([&] {
      TVariant paneView = OleGet(OleGet(Window(), "ActivePane"), "View");
      const int type = OleGet(paneView, "Type").ToInt();
      if (type == 3 || type == 6 || type == 4) Seek(value);
      else OlePut(paneView, "SplitSpecial", value);
      count += FindReplaceLoop(job);
    });
  };
  notes("FootNotes", 7);
  notes("EndNotes", 8);
  IgnoringOleErrors([&] { Seek(kSeekMain); });
  return count;
}

void TWordObject97::InsertHeadFootDoc(const std::wstring& text) {
  TVariant sel = Selection();
  if (Mode == rmInsToHead) {
    OlePut(sel, "Start", 0);
    OlePut(sel, "End", 0);
    OleCall(sel, "InsertBefore", {text});
  } else if (Mode == rmInsToFoot) {
    OleCall(sel, "EndKey", {6, 0});
    OleCall(sel, "InsertAfter", {text});
  }
  ++MatchCount;
}

void TWordObject97::SaveDocument(const std::string& fileName) {
  if (fileName.empty()) OleCall(DocumentObject, "Save");
  else OleCall(DocumentObject, "SaveAs", {AnsiToWide(fileName)});
}

void TWordObject97::CloseDocument() {
  if (DocumentObject.IsEmpty()) return;
  TVariant doc = std::move(DocumentObject);
  DocumentObject.Clear();
  OleCall(doc, "Close", {0, TVariant::Missing(), TVariant::Missing()});
}
