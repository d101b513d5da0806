#include <gtest/gtest.h>

#include "framework/Registry.h"

namespace {

// A refused open or write says why, so the installer can tell the user; a
// later success does not hide it.
TEST(Registry, LastErrorKeepsTheCodeOfTheStepThatFailed) {
  const std::string key = "Software\\KelvantoTest\\RegistryErrors";
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KelvantoTest");
  {
    TRegistry reg;
    EXPECT_FALSE(reg.WriteString("v", "x"));
    EXPECT_EQ(reg.LastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(reg.OpenKey(key, false));
    EXPECT_EQ(reg.LastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(reg.OpenKey(key, true));
    EXPECT_TRUE(reg.WriteInteger("n", 6));
    EXPECT_EQ(reg.LastError(), ERROR_FILE_NOT_FOUND);
  }
  TRegistry readOnly(HKEY_CURRENT_USER, KEY_READ);
  ASSERT_TRUE(readOnly.OpenKey(key, false));
  EXPECT_FALSE(readOnly.WriteInteger("n", 2));
  EXPECT_EQ(readOnly.LastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(readOnly.ReadInteger("n"), 6u);
  readOnly.CloseKey();
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KelvantoTest");
}

}  // namespace
