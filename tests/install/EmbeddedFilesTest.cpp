#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "setup/InstalledFiles.h"
#include "setup/Operations.h"
#include "support/BuildFolders.h"
#include "support/TempFolder.h"

namespace {

using KvtSetup::GetResourceSize;
using KvtSetup::LoadResourceToStream;

// Each target's installer carries, as FILE1..FILE21, exactly the files of its
// own build under the names the installer writes them to.
TEST(EmbeddedFiles, EachInstallerCarriesItsOwnTargetsBuild) {
  const std::vector<std::string> names = BuildFileList();
  ASSERT_EQ(names.size(), 21u);
  for (const char* target : {"x86_64", "i686"}) {
    SCOPED_TRACE(target);
    const std::string setup = BuildFolder(target) + "setup\\kvtSETUP.exe";
    if (std::string(target) == "i686" &&
        GetFileAttributesA(setup.c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "the i686 build is not there: " << setup;
    HMODULE module = LoadLibraryExA(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module) << setup;
    for (size_t n = 1; n <= names.size(); ++n) {
      const std::string built = ReadTestFile(BuildFolder(target) + "program" + names[n - 1]);
      std::string carried;
      EXPECT_TRUE(LoadResourceToStream("file" + std::to_string(n), carried, module)) << n;
      EXPECT_FALSE(built.empty()) << names[n - 1];
      EXPECT_TRUE(carried == built) << "FILE" << n << " is not " << names[n - 1];
    }
    EXPECT_EQ(GetResourceSize("file22", module), 0u);
    std::string agreement;
    EXPECT_TRUE(LoadResourceToStream("agreement", agreement, module));
    EXPECT_EQ(agreement.rfind("{\\rtf1", 0), 0u);
    EXPECT_TRUE(FindResourceA(module, "programIcon", MAKEINTRESOURCEA(14)));  // RT_GROUP_ICON
    FreeLibrary(module);
  }
}

}  // namespace
