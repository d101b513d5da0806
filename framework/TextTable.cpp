#include "framework/TextTable.h"

#include "framework/Controls.h"

namespace {
TTextLookup lookup = nullptr;
}  // namespace

void SetTextLookup(TTextLookup l) { lookup = l; }

std::string TextOf(int id) { return lookup ? lookup(id) : std::string(); }

void TTextTable::Add(TControl* control, int id) {
  rows_.push_back({id, [control](const std::string& s) { control->SetCaption(s); }});
}

void TTextTable::Add(int id, std::function<void(const std::string&)> apply) {
  rows_.push_back({id, std::move(apply)});
}

void TTextTable::Apply() const {
  for (const TRow& r : rows_) r.apply(TextOf(r.id));
}
