#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "core/translator.h"
#include "engines/BatchReplacer_utils.h"
#include "windows/Startup.h"

namespace {

constexpr size_t MB = size_t(1) << 20;

// Takes the free address space away for the object's life, but for one
// piece of `left` bytes, as on a machine short of memory. The program runs
// under an address-space limit (test.cmake); without one the space is too
// vast to take, and Limited() says so.
class TScarceMemory {
 public:
  explicit TScarceMemory(size_t left) {
    held_.reserve(100000);
    void* spare = VirtualAlloc(nullptr, left, MEM_RESERVE, PAGE_NOACCESS);
    uint64_t taken = 0;
    for (SIZE_T size = SIZE_T(1) << 30; size >= 64 * 1024; size /= 2) {
      while (taken < kMostTaken && held_.size() < held_.capacity()) {
        void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
        if (!p) break;
        held_.push_back(p);
        taken += size;
      }
    }
    limited_ = spare && taken < kMostTaken;
    if (spare) VirtualFree(spare, 0, MEM_RELEASE);
  }
  ~TScarceMemory() {
    for (void* p : held_) VirtualFree(p, 0, MEM_RELEASE);
  }
  TScarceMemory(const TScarceMemory&) = delete;
  TScarceMemory& operator=(const TScarceMemory&) = delete;
  bool Limited() const { return limited_; }

 private:
  static constexpr uint64_t kMostTaken = uint64_t(64) << 30;
  std::vector<void*> held_;
  bool limited_ = false;
};

// head followed by zero bytes up to size, without writing them.
bool WriteSparseFile(const std::string& path, const std::string& head, uint64_t size) {
  if (!WriteTestFile(path, head)) return false;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = LONGLONG(size);
  const bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return ok;
}

// With 160 MB left: a 300 MB file cannot even be read, and a 100 MB line can
// be read but not stored beside the file's buffer (after a short line was).
// Every loader says so and leaves what it had; nothing throws.
class MemoryLimit : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteSparseFile(dir_ / "huge.lng", "1=", 300 * MB));
    ASSERT_TRUE(WriteTestFile(dir_ / "line.lng", "2=Deux\r\n1=" + std::string(100 * MB, 'x')));
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ProgramRegistryKey);
    SetCurrentDirectoryA(oldDir_.c_str());
    Translator().ClearTranslations();
  }
  std::string oldDir_ = [] {
    char b[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, b);
    return std::string(b);
  }();
  TTempFolder dir_;
};

TEST_F(MemoryLimit, LoadersFailAndKeepWhatTheyHad) {
  for (const char* file : {"huge.lng", "line.lng"}) {
    TClassTranslator t(9500, 3000);
    t.AddString(1, "One");
    t.SetTranslation(2, "Zwei");
    TStringList caseColumn, finds, replacements;
    {
      TScarceMemory scarce(160 * MB);
      ASSERT_TRUE(scarce.Limited()) << "run under the address-space limit of the CTest entry";
      EXPECT_FALSE(t.LoadFromFile(dir_ / file)) << file;
      EXPECT_FALSE(LoadBatchTable(dir_ / file, caseColumn, finds, replacements)) << file;
    }
    EXPECT_STREQ(t.GetString(1), "One") << file;
    EXPECT_STREQ(t.GetString(2), "Zwei") << file;
    EXPECT_EQ(finds.Count(), 0u) << file;
    EXPECT_TRUE(t.LoadFromFile(dir_ / "line.lng")) << "with memory enough";
  }
}

TEST_F(MemoryLimit, StartupWithALanguageTooLargeStaysEnglish) {
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
  for (const char* file : {"huge.lng", "line.lng"}) {
    WriteProgramSetting("LanguageId", file);
    {
      TScarceMemory scarce(160 * MB);
      ASSERT_TRUE(scarce.Limited());
      PrepareStartup();
    }
    EXPECT_STREQ(Translator().GetString(1), "There are no items in the Basket.") << file;
    Translator().ClearTranslations();
  }
}

}  // namespace
