#pragma once
#include <functional>
#include <string>
#include <vector>

class TControl;

// The program's string table as the windows see it: the table sets the lookup
// when it is made; until then every id gives "".
using TTextLookup = std::string (*)(int id);
void SetTextLookup(TTextLookup lookup);
std::string TextOf(int id);

// A window's texts by id. Its form applies them each time it is shown and
// again when the language changes, so a translation reaches open windows too.
class TTextTable {
 public:
  // The control's caption (a form's: its title).
  void Add(TControl* control, int id);
  // Any other text: a hint, a menu item, an action's caption.
  void Add(int id, std::function<void(const std::string&)> apply);
  void Apply() const;
  bool Empty() const { return rows_.empty(); }

 private:
  struct TRow {
    int id;
    std::function<void(const std::string&)> apply;
  };
  std::vector<TRow> rows_;
};
