#include "controls/OrvComboBox.h"

TOrvComboBox::TOrvComboBox(TWinControl* parent) : TComboBox(parent) {
  OnEnter = [this] { AddToHistory(); };
  OnExit = [this] { AddToHistory(); };
  SetDropDownCount(TOrv_RingList::Capacity);
}

TOrv_RingList& TOrvComboBox::Ring() {
  if (!ring_) ring_ = std::make_unique<TOrv_RingList>();
  return *ring_;
}

void TOrvComboBox::FillItems() {
  TStringList texts;
  Ring().GetItems(texts);
  Items.Clear();
  for (const std::string& s : texts) Items.Add(s);
}

void TOrvComboBox::AddToHistory() {
  const std::string text = Text();
  Ring().AddText(text);
  FillItems();
  SetText(text);
}

void TOrvComboBox::LoadHistory(const TIniFile& ini, const std::string& section, const std::string& key) {
  LoadRingList(ini, Ring(), section, key);
  FillItems();
}

void TOrvComboBox::SaveHistory(TIniFile& ini, const std::string& section, const std::string& key) {
  AddToHistory();
  SaveRingList(ini, Ring(), section, key);
}
