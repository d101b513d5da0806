#include "core/translator.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

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

// A slot outside the table is ignored, as designed; false only when the pool
// cannot hold the text.
bool TClassTranslator::Store(int64_t slot, const char* text, size_t n) {
  if (slot < 0 || slot >= count_) return true;
  if (n >= size_t(kPoolLimit) - size_t(used_)) return false;
  const int64_t need = int64_t(used_) + int64_t(n) + 1;
  if (need > capacity_) {
    // At least the text and 6000 bytes more, and at least half again: one
    // copy of the pool per short line would make a language file quadratic.
    int64_t grown = capacity_ + std::max<int64_t>(int64_t(n) + 6000, capacity_ / 2);
    grown = std::max<int64_t>(std::min<int64_t>(grown, kPoolLimit), need);
    // The pool stays locked for the object's life; relock after the move.
    GlobalUnlock(poolBlock_.Handle());
    const bool ok = poolBlock_.Resize(size_t(grown));
    pool_ = static_cast<char*>(GlobalLock(poolBlock_.Handle()));
    if (!ok) return false;
    capacity_ = int32_t(grown);
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

void TClassTranslator::ExpandLineBreaks(std::string& s) { ExpandLineBreaks(s.data(), s.size()); }

void TClassTranslator::ExpandLineBreaks(char* s, size_t n) {
  bool nextIsN = false;
  for (size_t i = n; i-- > 0;) {
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
  if (!table_ || !ReadWholeFile(path, data)) return false;
  try {
    // Texts are only ever appended, so the old translated slots and used
    // length undo a load that the pool could not hold.
    const std::vector<int32_t> slots(table_ + bank_, table_ + count_);
    const int32_t used = used_;
    if (StoreLanguageLines(data)) return true;
    std::copy(slots.begin(), slots.end(), table_ + bank_);
    used_ = used;
  } catch (const std::bad_alloc&) {
  }
  return false;
}

// Each text is expanded in the file's own buffer and stored from there, up
// to its first NUL byte: a line of any length costs no copy of its own.
bool TClassTranslator::StoreLanguageLines(std::string& data) {
  char* const p = data.data();
  const size_t size = data.size();
  for (size_t start = 0; start < size;) {
    size_t end = start;
    while (end < size && p[end] != '\r' && p[end] != '\n') ++end;
    // An id whose digits overflow 32 bits is no slot of the table: the line
    // is dropped rather than wrapped onto another text.
    int64_t id = 0;
    bool overflow = false;
    size_t k = start;
    for (; k < end && p[k] != '='; ++k) {
      if (p[k] < '0' || p[k] > '9') continue;
      id = id * 10 + (p[k] - '0');
      if (id > 0x7FFFFFFF) {
        overflow = true;
        id = 0;
      }
    }
    if (k < end && !overflow) {
      char* text = p + k + 1;
      const size_t n = strnlen(text, end - k - 1);
      ExpandLineBreaks(text, n);
      if (!Store(int64_t(bank_) + id, text, n)) return false;
    }
    start = end + 1;
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
