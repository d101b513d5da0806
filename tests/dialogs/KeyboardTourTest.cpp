#include <gtest/gtest.h>

#include <functional>

#include "support/WindowTour.h"
#include "windows/ChoiceDrive.h"
#include "windows/StandardQuery.h"

namespace {

// The query in the shapes its callers give it here: a name, a path with its
// browse button, a selection mask.
TEST(KeyboardTour, StandardQueryInEachOfItsShapes) {
  const struct {
    const char* shape;
    std::function<void(TStandardQuery&)> set;
    TTourPlan plan;
  } rows[] = {
      {"name", [](TStandardQuery&) {}, {{"Copy files to", "OK", "Cancel"}, "", "mrOk", "mrCancel"}},
      {"path", [](TStandardQuery& q) { q.btnBrowse->Show(); },
       {{"Copy files to", "Browse", "OK", "Cancel"}, "b", "mrOk", "mrCancel"}},
      {"mask",
       [](TStandardQuery& q) {
         q.edInfo->Hide();
         q.cbForSelectFiles->Show();
       },
       {{"TComboBox", "OK", "Cancel"}, "", "mrOk", "mrCancel"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.shape);
    TStandardQuery q;
    r.set(q);
    TourModal(q, r.plan);
  }
}

TEST(KeyboardTour, DriveChoice) {
  TDriveList drives;
  drives.push_back(std::make_unique<TDriveRecord>());
  drives.back()->Letter = 'c';
  TChoiceDrive dlg(drives);
  TourModal(dlg, {{"Please choose another:", "OK", "Cancel"}, "", "OK", "mrCancel"});
}

}  // namespace
