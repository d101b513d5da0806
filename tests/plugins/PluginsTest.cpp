#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FileUtils.h"
#include "core/Plugins.h"
#include "framework/Registry.h"
#include "support/TempFolder.h"

namespace {

const std::string SamplePlugin = ProgramFolder() + "..\\program\\Attrelle.plgn";
const std::string NoTitleLibrary = ProgramFolder() + "test_plugin_notitle.dll";
const std::string NilTitleLibrary = ProgramFolder() + "test_plugin_niltitle.dll";

bool CacheKeyExists(const std::string& fileName) {
  return TRegistry(HKEY_CURRENT_USER, KEY_READ).KeyExists(std::string(PluginTitleCacheKey) + "\\" + fileName);
}

// A plug-in folder as the current folder, a fresh title cache and a fresh run.
class PluginFolder : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, PluginTitleCacheKey);
    PluginList.reset();
    GetCurrentDirectoryA(MAX_PATH, oldDir_);
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryA(oldDir_);
    RegDeleteTreeA(HKEY_CURRENT_USER, PluginTitleCacheKey);
    PluginList.reset();
  }
  void Put(const std::string& from, const std::string& name) {
    ASSERT_TRUE(CopyFileA(from.c_str(), (dir_ / name).c_str(), FALSE)) << from;
  }
  // A new run: the list is made again.
  std::vector<std::string> Titles() {
    PluginList.reset();
    menu_.Clear();
    FindPlugins(menu_, [this](TMenuItem& item) { clicked_ = &item; });
    std::vector<std::string> titles;
    for (size_t i = 0; i < menu_.Count(); ++i) titles.push_back(menu_.Item(i)->Caption);
    return titles;
  }
  TTempFolder dir_;
  TMenuItem menu_;
  TMenuItem* clicked_ = nullptr;
  char oldDir_[MAX_PATH] = "";
};

TEST_F(PluginFolder, SamplePluginListedAndCached) {
  Put(SamplePlugin, "Attrelle.plgn");
  EXPECT_EQ(Titles(), std::vector<std::string>{"Attrelle"});
  TMenuItem* item = menu_.Item(0);
  EXPECT_EQ(item->ShortCut, ShortCut('0', scCtrl | scShift));
  ASSERT_EQ(PluginList->Count(), 1u);
  EXPECT_EQ((*PluginList)[0], dir_ / "Attrelle.plgn");
  EXPECT_EQ(ReadPluginTitleCache("Attrelle.plgn"), "Attrelle");
  item->Click();
  EXPECT_EQ(clicked_, item);

  // Discovery runs once: a second call in the same run adds nothing.
  FindPlugins(menu_, nullptr);
  EXPECT_EQ(menu_.Count(), 1u);
  EXPECT_EQ(PluginList->Count(), 1u);

  // The cache is believed even when the library can no longer be loaded.
  ASSERT_TRUE(WriteTestFile(dir_ / "Attrelle.plgn", "MZ garbage, not a library"));
  EXPECT_EQ(Titles(), std::vector<std::string>{"Attrelle"});
}

TEST_F(PluginFolder, EmptyCachedTitleLoadsTheLibraryAgain) {
  Put(SamplePlugin, "Attrelle.plgn");
  WritePluginTitleCache("Attrelle.plgn", "");
  EXPECT_EQ(Titles(), std::vector<std::string>{"Attrelle"});
  EXPECT_EQ(ReadPluginTitleCache("Attrelle.plgn"), "Attrelle");
}

TEST_F(PluginFolder, TenOfElevenGetItemsWithTheTenShortcuts) {
  for (int i = 0; i < 11; ++i) Put(SamplePlugin, std::to_string(i).append(".plgn"));
  EXPECT_EQ(Titles().size(), MaxPlugins);
  for (size_t i = 0; i < MaxPlugins; ++i)
    EXPECT_EQ(menu_.Item(i)->ShortCut, ShortCut(static_cast<WORD>('0' + i), scCtrl | scShift));
  EXPECT_EQ(PluginList->Count(), MaxPlugins);
}

// Files that are no plug-ins give no item and leave nothing in the cache.
TEST_F(PluginFolder, NoPluginsNoItemsNoKeys) {
  Put(NoTitleLibrary, "notitle.plgn");
  Put(NilTitleLibrary, "niltitle.plgn");
  ASSERT_TRUE(WriteTestFile(dir_ / "garbage.plgn", std::string(4096, 'x')));
  ASSERT_TRUE(WriteTestFile(dir_ / "empty.plgn", ""));
  EXPECT_TRUE(Titles().empty());
  EXPECT_EQ(PluginList->Count(), 0u);
  for (const char* name : {"notitle.plgn", "niltitle.plgn", "garbage.plgn", "empty.plgn"})
    EXPECT_FALSE(CacheKeyExists(name)) << name;
}

}  // namespace
