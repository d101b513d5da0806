#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Lists.h"
#include "OpsHarness.h"
#include "core/translator.h"
#include "support/TempFolder.h"
#include "textreplacer/Helpers.h"

namespace {

constexpr int64_t kMiB = int64_t{1} << 20;
constexpr int64_t kFileSize = (int64_t{4} << 30) + kMiB;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(random());
  return s;
}

// Sizes, offsets and the copy loop's counters are 64-bit all the way.
TEST(HugeCopy, AFileBeyondFourGiBCopiesWhole) {
  Translator();
  RegisterSharedTexts();
  TTempFolder src, dst;
  SkipWhenDiskIsShort(dst.Path(), kFileSize + kMiB * 512);
  const std::string path = src / "huge.bin";
  const std::string head = RandomBytes(kMiB, 1), tail = RandomBytes(kMiB, 2);
  const FILETIME time = TimeAt(3);
  {
    THandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(h);
    DWORD unused = 0;
    DeviceIoControl(h.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
    ASSERT_TRUE(WriteAt(h.Get(), 0, head.data(), DWORD(head.size())));
    ASSERT_TRUE(WriteAt(h.Get(), kFileSize - kMiB, tail.data(), DWORD(tail.size())));
    ASSERT_TRUE(WriteAt(h.Get(), (int64_t{1} << 32) - 2, "ed", 2));
    SetFileTime(h.Get(), nullptr, nullptr, &time);
  }
  TTestList l;
  l.ReadDir(src.Path(), {"huge.bin"});
  TScriptedView view;
  ASSERT_TRUE(RunOperation(l.List(), dst.Path() + "\\", opCopy, view, At(src.Path())));
  EXPECT_EQ(view.Kinds(), "");
  EXPECT_TRUE(view.Messages.empty());
  THandle copy(CreateFileA((dst / "huge.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(copy);
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(copy.Get(), &size));
  EXPECT_EQ(size.QuadPart, kFileSize);
  EXPECT_EQ(ReadAt(copy.Get(), 0, DWORD(kMiB)), head);
  // The bytes around 2^32: the last bytes before it, then the tail that begins there.
  EXPECT_EQ(ReadAt(copy.Get(), (int64_t{1} << 32) - 4, 8), std::string("\0\0ed", 4) + tail.substr(0, 4));
  EXPECT_EQ(ReadAt(copy.Get(), kFileSize - kMiB, DWORD(kMiB)), tail);
  FILETIME written;
  ASSERT_TRUE(GetFileTime(copy.Get(), nullptr, nullptr, &written));
  EXPECT_EQ(CompareFileTime(&written, &time), 0);
}

}  // namespace
