#include "OpsHarness.h"

#include <gtest/gtest.h>

#include "framework/FileIO.h"
#include "windows/SelectionWalk.h"

int TScriptedView::Ask(const TOperationQuestion& q) {
  CheckThread();
  Questions.push_back({q.Kind, q.SubKind, q.Detail, QuestionCaption(q), QuestionMessage(q)});
  if (Answers.empty()) return qrCancel;
  const int r = Answers.front();
  Answers.pop_front();
  return r;
}

void TScriptedView::ShowMessage(const std::string& text, const std::string& caption, UINT) {
  CheckThread();
  Messages.push_back({caption, text});
}

void TScriptedView::ShowNames(const std::string&, const std::string&, const std::string&,
                              const std::string&) {
  CheckThread();
  ++Names;
}

void TScriptedView::ShowProgress(int overall, int current) {
  CheckThread();
  ++Progresses;
  LastOverall = overall;
  if (OnProgress) OnProgress(overall, current);
}

std::string TScriptedView::Kinds() const {
  std::string s;
  for (const TAsked& q : Questions) {
    if (!s.empty()) s += ',';
    s += std::to_string(q.Kind) + "." + std::to_string(q.SubKind) + "." + std::to_string(q.Detail);
  }
  return s;
}

void TScriptedView::CheckThread() {
  if (GetCurrentThreadId() != uiThread_) AllOnUiThread = false;
}

bool RunOperation(TstateOfBrowser& list, const std::string& target, uint32_t code,
                  TScriptedView& view, const TRunOptions& options) {
  if (!BeginWalkOver(list, options.Root, CheckSelected, nullptr, nullptr)) {
    ADD_FAILURE() << "nothing marked";
    return false;
  }
  TFileOperation op;
  std::string refusal;
  const bool started =
      PrepareFileOperation(target, code, [&](const std::string& t) { refusal = t; }, op);
  if (options.Refusal) *options.Refusal = refusal;
  if (started) {
    op.Thread->View = &view;
    op.Thread->Caption = "Kelvanto";
    if (options.Adjust) options.Adjust(*op.Thread);
    op.Thread->ViewShown();
    if (options.Running) *options.Running = op.Thread.get();
    LaunchFileOperation(op);
    WaitWithMessages(op.Thread->Handle());
    EXPECT_EQ(ToolBusy, 0u);
    if (options.Running) *options.Running = nullptr;
    FinishFileOperation(op);
  }
  EndListOperation();
  EXPECT_TRUE(view.AllOnUiThread);
  return started;
}

bool TNodeState::operator==(const TNodeState& o) const {
  return Content == o.Content && Attributes == o.Attributes &&
         (Content == "<dir>" || CompareFileTime(&LastWrite, &o.LastWrite) == 0);
}

void PrintTo(const TNodeState& node, std::ostream* os) {
  *os << node.Content.size() << " bytes, attributes " << node.Attributes << ", written "
      << node.LastWrite.dwHighDateTime << ":" << node.LastWrite.dwLowDateTime;
}

namespace {

void Collect(const std::string& folder, const std::string& prefix, TTreeState& state) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string n = fd.cFileName;
    if (n == "." || n == "..") continue;
    const std::string rel = prefix + n;
    const bool dir = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    std::string content = "<dir>";
    if (!dir) ReadWholeFile(folder + "\\" + n, content);
    state[rel] = {content, fd.ftLastWriteTime, fd.dwFileAttributes & 0x27};
    if (dir && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      Collect(folder + "\\" + n, rel + "\\", state);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

}  // namespace

TTreeState TreeState(const std::string& folder) {
  TTreeState state;
  Collect(folder, "", state);
  return state;
}

std::string TreeNames(const std::string& folder) {
  std::string names;
  for (const auto& [rel, node] : TreeState(folder)) {
    if (!names.empty()) names += ',';
    names += rel;
  }
  return names;
}

FILETIME TimeAt(int dayOffset) {
  ULARGE_INTEGER t;
  t.QuadPart = 133000000000000000ull + uint64_t(dayOffset) * 864000000000ull;
  return FILETIME{t.LowPart, t.HighPart};
}

bool HasText(std::string text, std::string needle) {
  CharLowerBuffA(text.data(), DWORD(text.size()));
  CharLowerBuffA(needle.data(), DWORD(needle.size()));
  return text.find(needle) != std::string::npos;
}
