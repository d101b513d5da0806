#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/SafeFormat.h"

// The numbered string table: a default bank of built-in texts and a
// translated bank (id + bank) filled from a language file, in one pool.
class TClassTranslator {
 public:
  TClassTranslator(int32_t poolSize, int32_t bankSize);
  ~TClassTranslator();
  TClassTranslator(const TClassTranslator&) = delete;
  TClassTranslator& operator=(const TClassTranslator&) = delete;

  // The translation, else the default text, else "". Valid until the next store.
  const char* GetString(int64_t id) const;
  // The built-in text alone; "" when there is none.
  const char* GetDefaultString(int64_t id) const;
  void AddString(int64_t slot, const char* text);
  void SetTranslation(int64_t id, const char* text) { AddString(int64_t(bank_) + id, text); }
  void ClearTranslations();
  bool LoadFromFile(const std::string& path);
  static void ExpandLineBreaks(std::string& s);
  static void ExpandLineBreaks(char* s, size_t n);

  int32_t Bank() const { return bank_; }
  int32_t Used() const { return used_; }
  int32_t Capacity() const { return capacity_; }

  std::string LanguageFileName;

 private:
  // The pool's offsets are 32-bit on every target.
  static constexpr int32_t kPoolLimit = 0x7FFF0000;
  bool Store(int64_t slot, const char* text, size_t n);
  bool StoreLanguageLines(std::string& data);
  TGlobalBlock poolBlock_;
  char* pool_ = nullptr;
  int32_t used_ = 0;
  int32_t capacity_ = 0;
  int32_t count_ = 0;
  int32_t* table_ = nullptr;
  int32_t bank_ = 0;
};

// The program's one string table (pool 9500 bytes, banks of 3000), made on
// first use so that every unit's start-up registration finds it.
TClassTranslator& Translator();

// Text of an id as a string.
inline std::string Tx(int id) { return Translator().GetString(id); }

// A text that is a format: the translation when its conversions fit args,
// else the built-in text (a language file is input and may be hostile).
std::string FormatTx(int id, std::initializer_list<TFormatArg> args);

// One built-in text of a unit: its id and its default English text.
struct TDefaultText {
  int id;
  const char* text;
};

// A unit's built-in texts. Every unit that owns texts holds one at namespace
// scope, so that its texts are in the default bank before the program runs:
//   const TUnitTexts queryTexts{{1200, "Copy files to"}, {1201, "OK"}};
class TUnitTexts {
 public:
  TUnitTexts(std::initializer_list<TDefaultText> texts);
  // Stores the texts again (the later copy wins).
  void Register() const;

 private:
  std::vector<TDefaultText> texts_;
};

// Stores the shared texts 1 to 152 in the default bank once more; the start-up
// calls it before it loads the language file.
void RegisterSharedTexts();
