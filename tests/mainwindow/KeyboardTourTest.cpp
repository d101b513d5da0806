#include <gtest/gtest.h>

#include "MainWindowTest.h"
#include "support/WindowTour.h"

namespace {

TEST(KeyboardTour, About) {
  TfrmAbout about;
  TourModal(about, {{"OK"}, "", "OK", "mrCancel"});
}

}  // namespace
