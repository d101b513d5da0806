#include "engines/PowerPointModule97.h"

#include "engines/WideText.h"

TPowerPointObject::TPowerPointObject() { Connect(); }

TPowerPointObject::~TPowerPointObject() {
  try {
    Disconnect(true);
  } catch (...) {
    // A dying server must not take the worker with it.
  }
}

void TPowerPointObject::Connect() {
  ServerObject = TryCreateOleObject("PowerPoint.Application");
  ServerStarted = !ServerObject.IsEmpty();
}

void TPowerPointObject::Disconnect(bool quitServer) {
  if (quitServer && ServerStarted) {
    IgnoringOleErrors([&] {
      CloseDocument();
      if (DocumentCount() == 0) OleCall(ServerObject, "Quit");
    });
  }
  DocumentObject.Clear();
  ServerObject.Clear();
}

int TPowerPointObject::DocumentCount() {
  return OleGet(OleGet(ServerObject, "Presentations"), "Count").ToInt();
}

void TPowerPointObject::OpenDocument(const std::string& fileName) {
  MatchCount = 0;
  DocumentObject = OleCall(OleGet(ServerObject, "Presentations"), "Open",
                           {TVariant(fileName), false, TVariant::Missing(), false});
}

void TPowerPointObject::CloseDocument() {
  if (DocumentObject.IsEmpty()) return;
  TVariant doc = std::move(DocumentObject);
  DocumentObject.Clear();
  OleCall(doc, "Close");
}

void TPowerPointObject::SaveDocument(const std::string& fileName) {
  if (fileName.empty()) OleCall(DocumentObject, "Save");
  else OleCall(DocumentObject, "SaveAs", {AnsiToWide(fileName)});
}

// Every path is walked again from the presentation: nothing is kept.
TVariant TPowerPointObject::Shape(int slide, int shape) const {
  TVariant s = OleGet(OleGet(DocumentObject, "Slides"), "Item", {slide});
  return OleGet(OleGet(s, "Shapes"), "Item", {shape});
}

void TPowerPointObject::ReplaceInSlides(const std::wstring& findText, const std::wstring& secondText,
                                        const std::wstring& replaceText, uint32_t flags) {
  const int slideCount = OleGet(OleGet(DocumentObject, "Slides"), "count").ToInt();
  for (int s = 1; s <= slideCount; ++s) {
    TVariant slide = OleGet(OleGet(DocumentObject, "Slides"), "Item", {s});
    const int shapeCount = OleGet(OleGet(slide, "Shapes"), "count").ToInt();
    for (int h = 1; h <= shapeCount; ++h) {
      try {
        if (!OleGet(OleGet(Shape(s, h), "TextFrame"), "HasText").ToBool()) continue;
        const int32_t before = MatchCount;
        const std::wstring text =
            OleGet(OleGet(OleGet(Shape(s, h), "TextFrame"), "TextRange"), "Text").ToWide();
        const std::wstring now = ReplaceInWideText(Mode, MatchCount, text, findText, secondText,
                                                   replaceText, flags, nullptr);
        if (MatchCount != before)
          OlePut(OleGet(OleGet(Shape(s, h), "TextFrame"), "TextRange"), "Text", now);
      } catch (const EOleError&) {
      }
    }
  }
}
