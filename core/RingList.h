#pragma once
#include <memory>
#include <string>

#include "framework/IniFile.h"
#include "framework/StringList.h"

// The recent texts of a history list: at most nine, kept in slots that are
// reused in turn once the ring is full.
class TOrv_RingList {
 public:
  static constexpr int Capacity = 9;
  // The longest text a saved ring keeps: nine of them with their line ends
  // and the slot line fit in one value of the settings file.
  static constexpr size_t MaxSavedText = (TIniFile::MaxValueLength / 2 - 3) / Capacity - 2;

  // Keeps the given list, or makes an empty one.
  explicit TOrv_RingList(std::unique_ptr<TStringList> list = nullptr);

  // Empty texts are ignored; a known text becomes the newest.
  void AddText(const std::string& text);
  // Adds the texts to target, newest first.
  void GetItems(TStringList& target) const;

  const TStringList& List() const { return *list_; }
  // Slot of the newest text, 1 to 9; 0 while the ring is empty.
  int Current() const { return current_; }

  // Takes lines read from settings: lines past the ninth are dropped, a slot
  // that does not fit them is replaced by the last one.
  void Assign(const TStringList& lines, int current);

 private:
  std::unique_ptr<TStringList> list_;
  int current_ = 0;
};

// The ring as one value: its lines and then the newest slot's number, each
// ended by CR LF, written as hexadecimal bytes. Texts longer than
// MaxSavedText are left out; the others keep their order of age.
bool SaveRingList(TIniFile& ini, const TOrv_RingList& ring, const std::string& section,
                  const std::string& key);
void LoadRingList(const TIniFile& ini, TOrv_RingList& ring, const std::string& section,
                  const std::string& key);

// Lines that would take the value past what the settings file holds are left
// out.
bool WriteStringsToIni(TIniFile& ini, const TStringList& list, const std::string& section,
                       const std::string& key);
// A missing value gives an empty list; reading stops at the first byte that
// is not two hexadecimal digits.
void ReadStringsFromIni(const TIniFile& ini, TStringList& list, const std::string& section,
                        const std::string& key);
