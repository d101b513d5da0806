#pragma once
#include <cstdint>
#include <string>

#include "engines/ReplacerBase.h"
#include "framework/OleAuto.h"

// Drives the presentation application by late binding and replaces inside
// the text of every shape. Errors of open, save, close and count come out as
// EOleError.
class TPowerPointObject {
 public:
  TPowerPointObject();
  ~TPowerPointObject();
  TPowerPointObject(const TPowerPointObject&) = delete;
  TPowerPointObject& operator=(const TPowerPointObject&) = delete;

  void Connect();
  void Disconnect(bool quitServer);
  void SetVisible(bool) {}
  bool NoDocument() const { return DocumentObject.IsEmpty(); }
  int DocumentCount();
  void OpenDocument(const std::string& fileName);
  void CloseDocument();
  void SaveDocument(const std::string& fileName);
  void ReplaceInSlides(const std::wstring& findText, const std::wstring& secondText,
                       const std::wstring& replaceText, uint32_t flags);

  TVariant ServerObject;
  TVariant DocumentObject;
  int32_t MatchCount = 0;
  TReplaceMode Mode = rmReplace;
  bool ServerStarted = false;

 private:
  TVariant Shape(int slide, int shape) const;
};
