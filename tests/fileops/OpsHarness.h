#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "windows/StartOperation.h"

// Plays the progress window and the confirmation dialog: answers questions
// from a script and records every question and message box.
class TScriptedView : public IOperationView {
 public:
  struct TAsked {
    int Kind;
    uint32_t SubKind;
    uint32_t Detail;
    std::string Caption;
    std::string Message;
  };
  struct TShown {
    std::string Caption;
    std::string Text;
  };
  std::deque<int> Answers;  // an unscripted question gets Cancel
  std::vector<TAsked> Questions;
  std::vector<TShown> Messages;
  int Progresses = 0;
  int Names = 0;
  int LastOverall = -1;
  bool AllOnUiThread = true;
  // Runs on each progress report (on the user-interface thread).
  std::function<void(int overall, int current)> OnProgress;

  int Ask(const TOperationQuestion& q) override;
  void ShowMessage(const std::string& text, const std::string& caption, UINT icon) override;
  void ShowNames(const std::string& fromPrefix, const std::string& from,
                 const std::string& toPrefix, const std::string& to) override;
  void ShowProgress(int overall, int current) override;
  // "1.0.2,3.0.0,..." kind.sub-kind.detail of each question.
  std::string Kinds() const;

 private:
  void CheckThread();
  DWORD uiThread_ = GetCurrentThreadId();
};

// One operation over the marked entries of list, as the windows would run
// it. False when the start refused (refusal then holds the warning).
struct TRunOptions {
  std::string Root;
  std::function<void(TOperations&)> Adjust;  // before the thread starts
  std::string* Refusal = nullptr;
  TOperations** Running = nullptr;  // the thread while it runs
};
inline TRunOptions At(const std::string& root) {
  TRunOptions o;
  o.Root = root;
  return o;
}
bool RunOperation(TstateOfBrowser& list, const std::string& target, uint32_t code,
                  TScriptedView& view, const TRunOptions& options = {});

// Content, last-write time and attributes of every file and folder below
// a folder, by relative path.
struct TNodeState {
  std::string Content;  // "<dir>" for a folder
  FILETIME LastWrite;
  DWORD Attributes;
  bool operator==(const TNodeState& o) const;
};
void PrintTo(const TNodeState& node, std::ostream* os);
using TTreeState = std::map<std::string, TNodeState>;
TTreeState TreeState(const std::string& folder);
std::string TreeNames(const std::string& folder);
FILETIME TimeAt(int dayOffset);
// needle in text, letter case ignored (the questions show paths capitalised).
bool HasText(std::string text, std::string needle);
