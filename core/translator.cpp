#include "core/translator.h"

#include <windows.h>

#include <cstring>

#include "framework/FileIO.h"
#include "framework/TextTable.h"

TClassTranslator::TClassTranslator(int32_t poolSize, int32_t bankSize) {
  bank_ = bankSize > 0 ? bankSize : 1;
  count_ = 2 * bank_;
  table_ = static_cast<int32_t*>(calloc(count_, sizeof(int32_t)));
  capacity_ = poolSize > 0 ? poolSize : 1;
  if (poolBlock_.Allocate(capacity_)) pool_ = static_cast<char*>(GlobalLock(poolBlock_.Handle()));
  if (!table_ || !pool_) {
    // Without memory every lookup still gives the empty text.
    static char empty[1] = {0};
    free(table_);
    table_ = nullptr;
    count_ = 0;
    pool_ = empty;
    capacity_ = 0;
    return;
  }
  Store(0, "", 0);
}

TClassTranslator::~TClassTranslator() {
  free(table_);
  if (poolBlock_.Handle()) GlobalUnlock(poolBlock_.Handle());
}

bool TClassTranslator::Store(int64_t slot, const char* text, size_t n) {
  if (slot < 0 || slot >= count_) return false;
  if (n > 0x7FFF0000u - 6000u - static_cast<size_t>(used_)) return false;
  const int64_t need = int64_t(used_) + int64_t(n) + 1;
  if (need > capacity_) {
    const int32_t grown = capacity_ + static_cast<int32_t>(n) + 6000;
    // The pool stays locked for the object's life; relock after the move.
    GlobalUnlock(poolBlock_.Handle());
    const bool ok = poolBlock_.Resize(grown);
    pool_ = static_cast<char*>(GlobalLock(poolBlock_.Handle()));
    if (!ok) return false;
    capacity_ = grown;
  }
  std::memcpy(pool_ + used_, text, n);
  pool_[used_ + n] = '\0';
  table_[slot] = used_;
  used_ += static_cast<int32_t>(n) + 1;
  return true;
}

void TClassTranslator::AddString(int64_t slot, const char* text) {
  Store(slot, text ? text : "", text ? std::strlen(text) : 0);
}

const char* TClassTranslator::GetString(int64_t id) const {
  const int64_t t = int64_t(bank_) + id;
  if (id < 0 || t >= count_) return pool_;
  if (table_[t]) return pool_ + table_[t];
  if (table_[id]) return pool_ + table_[id];
  return pool_;
}

const char* TClassTranslator::GetDefaultString(int64_t id) const {
  if (id < 0 || id >= bank_ || !table_) return pool_;
  return pool_ + table_[id];
}

void TClassTranslator::ClearTranslations() {
  if (!table_) return;
  TClassTranslator fresh(capacity_, bank_);
  if (!fresh.table_) return;
  for (int32_t id = 1; id < bank_; ++id)
    if (table_[id]) fresh.AddString(id, pool_ + table_[id]);
  std::swap(table_, fresh.table_);
  std::swap(poolBlock_, fresh.poolBlock_);
  std::swap(pool_, fresh.pool_);
  std::swap(used_, fresh.used_);
  std::swap(capacity_, fresh.capacity_);
}

void TClassTranslator::ExpandLineBreaks(std::string& s) {
  bool nextIsN = false;
  for (size_t i = s.size(); i-- > 0;) {
    if (s[i] != '\\') {
      nextIsN = s[i] == 'n';
    } else if (nextIsN) {
      s[i] = '\r';
      s[i + 1] = '\n';
      nextIsN = false;
    }
  }
}

bool TClassTranslator::LoadFromFile(const std::string& path) {
  std::string data;
  if (!ReadWholeFile(path, data)) return false;
  // An id whose digits overflow 32 bits is no slot of the table: the line is
  // dropped rather than wrapped onto another text.
  int64_t id = 0;
  bool overflow = false, inText = false;
  std::string text;
  auto endLine = [&] {
    if (inText && !overflow) {
      ExpandLineBreaks(text);
      SetTranslation(id, text.c_str());
    }
    id = 0;
    overflow = inText = false;
    text.clear();
  };
  for (size_t i = 0; i < data.size(); ++i) {
    const char c = data[i];
    if (c == '\r' || c == '\n') {
      endLine();
      continue;
    }
    if (inText) {
      text += c;
    } else if (c >= '0' && c <= '9') {
      id = id * 10 + (c - '0');
      if (id > 0x7FFFFFFF) {
        overflow = true;
        id = 0;
      }
    } else if (c == '=') {
      inText = true;
    }
    if (i + 1 == data.size()) endLine();
  }
  return true;
}

namespace {
TClassTranslator& MakeTranslator() {
  static TClassTranslator translator(9500, 3000);
  SetTextLookup(&Tx);  // the windows' text tables look their ids up here
  return translator;
}
}  // namespace

TClassTranslator& Translator() {
  static TClassTranslator& translator = MakeTranslator();
  return translator;
}

TUnitTexts::TUnitTexts(std::initializer_list<TDefaultText> texts) : texts_(texts) { Register(); }

void TUnitTexts::Register() const {
  for (const TDefaultText& t : texts_) Translator().AddString(t.id, t.text);
}

std::string FormatTx(int id, std::initializer_list<TFormatArg> args) {
  return SafeFormat(Translator().GetString(id), Translator().GetDefaultString(id), args);
}
