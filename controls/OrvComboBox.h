#pragma once
#include <memory>
#include <string>

#include "core/RingList.h"
#include "framework/IniFile.h"
#include "framework/StdCtrls.h"

// A combo box that remembers the texts typed into it: its list is the ring of
// the nine most recent texts, newest first.
class TOrvComboBox : public TComboBox {
 public:
  explicit TOrvComboBox(TWinControl* parent);
  // The handler of OnEnter and OnExit: the current text joins the ring.
  void AddToHistory();
  void LoadHistory(const TIniFile& ini, const std::string& section, const std::string& key);
  void SaveHistory(TIniFile& ini, const std::string& section, const std::string& key);

 private:
  TOrv_RingList& Ring();
  void FillItems();
  std::unique_ptr<TOrv_RingList> ring_;
};
