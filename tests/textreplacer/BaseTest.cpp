#include <gtest/gtest.h>

#include <cstring>

#include "Helpers.h"
#include "framework/Thread.h"

namespace {

using TNames = std::vector<std::string>;

TEST(ReplacerBase, TempAndBackupNamesTakeFirstFreeNumber) {
  struct TNameCase {
    TNames present;
    const char* temp;
    const char* backup;
  } const cases[] = {
      {{}, "r.txt0", "r.txt.bak"},
      {{"r.txt0"}, "r.txt1", "r.txt.bak"},
      {{"r.txt0", "r.txt1", "r.txt.bak", "r.txt.bak0"}, "r.txt2", "r.txt.bak1"},
      {{"r.txt.bak", "r.txt.bak1"}, "r.txt0", "r.txt.bak0"},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    for (const auto& n : c.present) PutFile(folder / n, "x");
    uint32_t number = 99;
    EXPECT_EQ(TempFileNameFor(folder / "r.txt", number), (folder / c.temp));
    EXPECT_EQ(BackupFileNameFor(folder / "r.txt"), (folder / c.backup));
  }
}

TEST(ReplacerBase, ChangedFileGoesThroughNumberedTempAndBackup) {
  TTempFolder folder;
  const std::string path = folder / "r.txt";
  PutFile(path, "one two");
  PutFile(folder / "r.txt0", "stray");
  PutFile(folder / "r.txt.bak", "older backup");
  EXPECT_EQ(RunReplacer(path, rmReplace, {"two", "2"}, true), rrChanged);
  EXPECT_EQ(GetFile(path), "one 2");
  EXPECT_EQ(GetFile(folder / "r.txt.bak0"), "one two");
  EXPECT_EQ(GetFile(folder / "r.txt0"), "stray");
  EXPECT_EQ(GetFile(folder / "r.txt.bak"), "older backup");
  EXPECT_EQ(folder.Names(), (TNames{"r.txt", "r.txt.bak", "r.txt.bak0", "r.txt0"}));
}

TEST(ReplacerBase, AttributesTravelToTheChangedFile) {
  const DWORD kinds[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN};
  for (DWORD kind : kinds) {
    for (bool backup : {false, true}) {
      TTempFolder folder;
      const std::string path = folder / "r.txt";
      PutFile(path, "abc");
      SetFileAttributesA(path.c_str(), kind);
      const DWORD before = GetFileAttributesA(path.c_str());
      EXPECT_EQ(RunReplacer(path, rmReplace, {"b", "B"}, backup), rrChanged);
      EXPECT_EQ(GetFile(path), "aBc");
      EXPECT_EQ(GetFileAttributesA(path.c_str()), before) << kind << backup;
    }
  }
}

// The changed file is written now; the backup is the old file itself, with
// its old time.
TEST(ReplacerBase, ChangedFileIsNewAndBackupKeepsTheOldTime) {
  TTempFolder folder;
  const std::string path = folder / "r.txt";
  PutFile(path, "abc");
  const FILETIME old{0x12345600, 0x01c00000};
  {
    THandle h(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(h.Get(), nullptr, nullptr, &old));
  }
  ASSERT_EQ(RunReplacer(path, rmReplace, {"b", "B"}, true), rrChanged);
  const FILETIME changed = LastWriteTime(path), backup = LastWriteTime(folder / "r.txt.bak");
  EXPECT_EQ(CompareFileTime(&changed, &old), 1);
  EXPECT_EQ(CompareFileTime(&backup, &old), 0);
  EXPECT_EQ(GetFile(folder / "r.txt.bak"), "abc");
}

TEST(ReplacerBase, PatternBlockLayoutAndReaders) {
  TPatternPairOptions insensitive;
  insensitive.WholeWord = true;
  TGlobalBlock block = BuildPatternBlock("aB\r\nc", "x\ny", insensitive);
  ASSERT_TRUE(block.Handle());
  {
    TGlobalLock lock(block.Handle());
    const uint8_t* p = lock.Get<uint8_t>();
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 1);
    EXPECT_EQ(memcmp(p + 12, "ab\r\ncAB\r\nCx\ny", 13), 0);
    EXPECT_GE(GlobalSize(block.Handle()), size_t{2 * 5 + 3 + 22});
  }
  std::string find, replacement;
  uint32_t flags = 0;
  ASSERT_TRUE(ReadPatternPair(block.Handle(), find, replacement, flags));
  EXPECT_EQ(find, "ab\rc");
  EXPECT_EQ(replacement, "xy");
  EXPECT_EQ(flags, pfWholeWord);

  TPatternPairOptions sensitive;
  sensitive.CaseSensitive = true;
  block = BuildPatternBlock("aB", "", sensitive);
  ASSERT_TRUE(ReadPatternPair(block.Handle(), find, replacement, flags));
  EXPECT_EQ(find, "aB");
  EXPECT_EQ(flags, pfCaseSensitive);
}

TEST(ReplacerBase, OemCharsetConvertsTheTexts) {
  TPatternPairOptions oem;
  oem.CaseSensitive = true;
  oem.OemCharset = true;
  TGlobalBlock block = BuildPatternBlock("\xe9", "\xfc", oem);
  std::string find, replacement;
  uint32_t flags = 0;
  ASSERT_TRUE(ReadPatternPair(block.Handle(), find, replacement, flags));
  EXPECT_EQ(find, "\x82");  // code page 437
  EXPECT_EQ(replacement, "\x81");
}

void PutRecord(std::string& block, bool caseSensitive, const std::string& find, const std::string& replacement) {
  std::string record(32, '\0');
  record[0] = caseSensitive ? 1 : 0;
  const uint32_t l = static_cast<uint32_t>(find.size()), r = static_cast<uint32_t>(replacement.size()), kind = 3;
  memcpy(record.data() + 4, &l, 4);
  memcpy(record.data() + 8, &r, 4);
  memcpy(record.data() + 12, &kind, 4);
  block += record + find + replacement;
}

TEST(ReplacerBase, BatchPairsAreWalkedRecordByRecord) {
  std::string bytes;
  PutRecord(bytes, true, "one\r\n", "1");
  PutRecord(bytes, false, "two", "2\n2");
  TGlobalBlock block;
  ASSERT_TRUE(block.Allocate(bytes.size()));
  {
    TGlobalLock lock(block.Handle());
    memcpy(lock.Get(), bytes.data(), bytes.size());
  }
  struct TBatchCase {
    int n;
    bool ok;
    const char* find;
    const char* replacement;
    uint32_t flags;
  } const cases[] = {
      {1, true, "one\r", "1", pfCaseSensitive},
      {2, true, "two", "22", 0},
      {3, false, "", "", 0},
      {0, false, "", "", 0},
  };
  for (const auto& c : cases) {
    std::string find, replacement;
    uint32_t flags = 7;
    EXPECT_EQ(ReadBatchPair(block.Handle(), c.n, find, replacement, flags), c.ok) << c.n;
    EXPECT_EQ(find, c.find) << c.n;
    EXPECT_EQ(replacement, c.replacement) << c.n;
    EXPECT_EQ(flags, c.flags) << c.n;
  }
}

// Never resumed: only its stop flag is read.
class TStoppedThread : public TThread {
 public:

 protected:
  void Execute() override {}
};

TEST(ReplacerBase, BackupCopy) {
  struct TCopyCase {
    size_t size;
    bool backup;
    bool stopped;
    bool ok;
    TNames files;
  } const cases[] = {
      {0, true, false, true, {"r.txt", "r.txt.bak"}},
      {450000, true, false, true, {"r.txt", "r.txt.bak"}},
      {450000, false, false, true, {"r.txt"}},
      {450000, true, true, false, {"r.txt"}},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    const std::string path = folder / "r.txt";
    std::string content(c.size, '\0');
    for (size_t i = 0; i < c.size; ++i) content[i] = static_cast<char>(i * 7);
    PutFile(path, content);
    TThreadOf<TStoppedThread> thread;
    if (c.stopped) thread.Terminate();
    TBaseReplacer replacer(&thread);
    replacer.Backup = c.backup;
    EXPECT_EQ(replacer.MakeBackupCopy(path, static_cast<int64_t>(c.size)), c.ok);
    EXPECT_EQ(folder.Names(), c.files);
    if (c.ok && c.backup) {
      EXPECT_TRUE(GetFile(folder / "r.txt.bak") == content);
    }
  }
}

TEST(ReplacerBase, BackupCopyOfShortFileFailsAndLeavesNoBackup) {
  TTempFolder folder;
  const std::string path = folder / "r.txt";
  PutFile(path, "short");
  TBaseReplacer replacer(nullptr);
  EXPECT_FALSE(replacer.MakeBackupCopy(path, 300000));
  EXPECT_EQ(folder.Names(), TNames{"r.txt"});
}

}  // namespace
