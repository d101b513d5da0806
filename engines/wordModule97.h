#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "engines/ReplacerBase.h"
#include "framework/OleAuto.h"

class TThread;

// WordReplaceFlags
constexpr uint32_t wrfMatchCase = 1;
constexpr uint32_t wrfWildcards = 2;
constexpr uint32_t wrfWholeWord = 4;
constexpr uint32_t wrfNoMainText = 16;
constexpr uint32_t wrfNoHeadersFooters = 32;
constexpr uint32_t wrfNoNotes = 64;

// Raised when the owning thread was asked to stop; deliberately not an
// EOleError, so that the steps that ignore server errors let it through.
class EWorkStopped : public std::runtime_error {
 public:
  EWorkStopped() : std::runtime_error("") {}
};

// Drives the word processor by late binding, one document at a time. Errors
// of the calls the replacer guards come out as EOleError.
class TWordObject97 {
 public:
  explicit TWordObject97(TThread* ownerThread);
  ~TWordObject97();
  TWordObject97(const TWordObject97&) = delete;
  TWordObject97& operator=(const TWordObject97&) = delete;

  void Connect();
  void Disconnect(bool quitServer);
  void SetVisible(bool value);
  int DocumentCount();
  void OpenDocument(const std::string& fileName);
  bool IsProtected();
  void ReplaceAll(const std::wstring& findText, const std::wstring& replaceText, uint32_t flags);
  void InsertHeadFootDoc(const std::wstring& text);
  void SaveDocument(const std::string& fileName);
  void CloseDocument();
  bool IsTerminated() const;

  TVariant ServerObject;
  TVariant DocumentObject;
  int32_t MatchCount = 0;
  TReplaceMode Mode = rmReplace;
  TThread* OwnerThread = nullptr;
  bool ServerStarted = false;

 private:
  struct TJob;
  int FindReplaceLoop(const TJob& job);
  int ReplaceInHeadersFooters(const TJob& job);
  int ReplaceInNotes(const TJob& job);
  TVariant Window() const;
  TVariant Selection() const;
  void Seek(int value) const;
};
