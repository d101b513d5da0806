#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "core/translator.h"
#include "support/BuildFolders.h"
#include "support/TempFolder.h"
#include "windows/MainForm.h"
#include "windows/Startup.h"

namespace {

struct TLanguage {
  const char* File;
  UINT CodePage;
};
const TLanguage kLanguages[] = {
    {"french.lng", 1252},    {"spanish.lng", 1252},    {"nederlands.lng", 1252},
    {"Danish.lng", 1252},    {"Hungarian.lng", 1250},  {"Portuguese.lng", 1252},
    {"Turkish.lng", 1254},   {"Russian.lng", 1251},
};

std::string ProgramFolder() { return BuildFolder() + "program\\"; }

// Every text of the string table, as the program reads it from a file.
// Ids the file does not hold stay missing; an empty line stays "".
std::map<int, std::string> ReadTexts(const std::string& path) {
  const std::string none = "\x01";
  TClassTranslator table(9500, 3000);
  for (int id = 0; id < 3000; ++id) table.AddString(id, none.c_str());
  std::map<int, std::string> texts;
  if (!table.LoadFromFile(path)) return texts;
  for (int id = 0; id < 3000; ++id)
    if (table.GetString(id) != none) texts[id] = table.GetString(id);
  return texts;
}

// The master list that translators work from, line breaks expanded.
std::map<int, std::string> Master() {
  return ReadTexts(TestProgramFolder() + "langfiles\\english.txt");
}

// The conversions FormatTx checks, in order; "%%" is no argument.
std::string Conversions(const std::string& text) {
  std::string kinds;
  for (size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i + 1)) {
    size_t j = text.find_first_not_of("-0123456789.", i + 1);
    if (j == std::string::npos) break;
    if (text[j] != '%') kinds += text[j];
    i = j;
  }
  return kinds;
}

bool HasAccelerator(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return true;
    ++i;
  }
  return false;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Decodes in the code page as the system does; false on a byte it lacks.
bool Decodes(const std::string& bytes, UINT codePage) {
  return bytes.empty() || MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                              int(bytes.size()), nullptr, 0) > 0;
}

// The main window reaches every unit of the program, and each registers
// its texts; the shared ones come at start.
TEST(LangFiles, MasterListHoldsEveryRegisteredText) {
  RegisterSharedTexts();
  TTempFolder dir;
  SettingsFilePath = dir / "kvt.ini";
  { TMainForm built; }
  const auto master = Master();
  ASSERT_FALSE(master.empty());
  int registered = 0;
  for (int id = 1; id < 3000; ++id) {
    const std::string text = Translator().GetDefaultString(id);
    if (text.empty()) continue;
    ++registered;
    auto it = master.find(id);
    ASSERT_NE(it, master.end()) << "text " << id << " is not in the master list";
    EXPECT_EQ(it->second, text) << "text " << id;
  }
  EXPECT_GE(registered, 197);
}

TEST(LangFiles, EveryLanguageTranslatesEveryTextKeepingFormatsAndKeys) {
  const auto master = Master();
  for (const TLanguage& language : kLanguages) {
    SCOPED_TRACE(language.File);
    const std::string path = ProgramFolder() + language.File;
    const std::string bytes = ReadTestFile(path);
    ASSERT_FALSE(bytes.empty()) << path;
    EXPECT_TRUE(Decodes(bytes, language.CodePage));
    EXPECT_EQ(Count(bytes, "\n"), Count(bytes, "\r\n")) << "every line ends with CR LF";
    const auto texts = ReadTexts(path);
    for (const auto& [id, english] : master) {
      auto it = texts.find(id);
      if (it == texts.end()) {
        ADD_FAILURE() << "text " << id << " missing";
        continue;
      }
      const std::string& text = it->second;
      EXPECT_FALSE(text.empty()) << id;
      EXPECT_EQ(Conversions(text), Conversions(english)) << id << ": " << text;
      if (HasAccelerator(english)) {
        EXPECT_TRUE(HasAccelerator(text)) << id << ": " << text;
      }
      // Texts that are joined to others keep the blank that separates them.
      EXPECT_EQ(text.front() == ' ', english.front() == ' ') << id << ": " << text;
      EXPECT_EQ(text.back() == ' ', english.back() == ' ') << id << ": " << text;
    }
    for (const auto& [id, text] : texts)
      EXPECT_TRUE(master.count(id)) << "text " << id << " has no built-in text";
    // The batch table tells its rows apart by these two words.
    EXPECT_NE(texts.at(217), texts.at(218));
  }
}

TEST(LangFiles, EveryTipFileDecodesAndHoldsTips) {
  for (const TLanguage& language : kLanguages) {
    SCOPED_TRACE(language.File);
    const std::string bytes = ReadTestFile(ProgramFolder() + language.File + ".tip");
    EXPECT_TRUE(Decodes(bytes, language.CodePage));
    int tips = 0;
    for (size_t at = 0, end; at < bytes.size(); at = end + 2, ++tips) {
      end = bytes.find("\r\n", at);
      ASSERT_NE(end, std::string::npos) << "last tip without CR LF";
      EXPECT_GT(end, at) << "empty tip " << tips + 1;
    }
    EXPECT_GE(tips, 3);
  }
}

}  // namespace
