// The search thread over real trees, reporting to a recording window.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <utility>

#include "core/Formats.h"
#include "core/ListLock.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "framework/Forms.h"
#include "finder/FinderTestSupport.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"

namespace {

// Growth of the search list's blocks or pool by a thread that does not hold
// the results lock: the window may be drawing from the block that moves.
std::atomic<int> g_unlockedGrowths{0};

void CheckSearchListGrowth(const void* owner) {
  if ((owner == &SearchList || owner == SearchList.Names) && ResultsLock.OwnerThreadId() != GetCurrentThreadId())
    ++g_unlockedGrowths;
}

// A tree made natively by the test's fixture (make-tree), as a Windows path.
std::string NativeTree(const std::string& name) {
  const char* tree = getenv("KVT_FINDER_TREE");
  EXPECT_TRUE(tree) << "KVT_FINDER_TREE names the folder of make-tree";
  if (!tree) return {};
  std::string path = std::string("Z:") + tree + "/" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

class TFinderEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    RegisterSharedTexts();
    ListTesting::GrowthCheck = CheckSearchListGrowth;
  }
  void TearDown() override {
    ListTesting::GrowthCheck = nullptr;
    FreeFileList(SearchList);
  }
};
testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new TFinderEnvironment);

class FinderWalk : public testing::Test {
 protected:
  // Every report reaches the window, so that each is checked.
  void SetUp() override {
    GeneralCheckContainer = 0;
    FinderTesting::SetReportInterval(0);
  }
  void TearDown() override {
    EXPECT_EQ(g_unlockedGrowths.exchange(0), 0) << "the search list grew without the lock";
    EXPECT_EQ(TThread::LiveCount(), 0) << "a search thread outlived its search";
    for (const auto& call : window_.Calls) {
      EXPECT_TRUE(call.OnUiThread);
      EXPECT_FALSE(call.LockHeldElsewhere) << "a synchronised call under the results lock";
    }
    FinderTesting::SetReportInterval(~0u);
  }
  // Runs the search; the listing below the temporary folder.
  std::string Search(TSearchSetup setup) {
    auto finder = PrepareSearch(setup, window_);
    RunToEnd(*finder);
    EXPECT_TRUE(finder->SearchFinished());
    finalStatus_ = finder->FinalStatus;
    return SortedListing(tmp_.Path());
  }
  const TRecordingWindow::TCall& LastRows() const {
    for (auto it = window_.Calls.rbegin(); it != window_.Calls.rend(); ++it)
      if (it->Kind == 'R') return *it;
    static const TRecordingWindow::TCall none{'-', {}, -1, -1, false, false};
    return none;
  }

  TTempFolder tmp_;
  TRecordingWindow window_;
  std::string finalStatus_;
};

FILETIME LocalDay(WORD year, WORD month, WORD day) {
  SYSTEMTIME st{year, month, 0, day, 0, 0, 0, 0};
  FILETIME ft;
  return DateTimeToFileTime(ft, st);
}

FILETIME Ticks(FILETIME t, int64_t ticks) {
  ULARGE_INTEGER v{{t.dwLowDateTime, t.dwHighDateTime}};
  v.QuadPart += uint64_t(ticks);
  return FILETIME{v.LowPart, v.HighPart};
}

constexpr int64_t kDay = 864000000000;


struct TFilterCase {
  const char* name;
  const char* folder;
  void (*setup)(TFileFilter& f);
  const char* expected;
  uint32_t options = 0;
};

const TFilterCase kFilterCases[] = {
    {"size equal to 1 Kbytes", "sizes", [](TFileFilter& f) { f.SizeRule = 1 | 8, f.SizeValue = 1; },
     "sizes\\s1024 sizes\\s2047"},
    {"size more than 1 Kbytes", "sizes", [](TFileFilter& f) { f.SizeRule = 3 | 8, f.SizeValue = 1; },
     "sizes\\s2048"},
    {"size less than 1 Kbytes", "sizes", [](TFileFilter& f) { f.SizeRule = 2 | 8, f.SizeValue = 1; },
     "sizes\\s0 sizes\\s1023"},
    {"whole days between two dates", "dates",
     [](TFileFilter& f) {
       f.DateMode = 1;
       f.DateFrom = LocalDay(2020, 3, 10);
       f.DateTo = Ticks(LocalDay(2020, 3, 12), kDay - 1);
     },
     "dates\\first dates\\last"},
    {"not older than 2 day(s)", "ages",
     [](TFileFilter& f) { f.DateMode = 2, f.AgeCount = 2, f.AgeUnit = 1; }, "ages\\new"},
    {"a checked box requires", "attrs", [](TFileFilter& f) { f.RequiredAttributes = 0x01; },
     "attrs\\readonly"},
    {"an unchecked box forbids", "attrs", [](TFileFilter& f) { f.ExcludedAttributes = 0x01; },
     "attrs\\plain attrs\\sub\\"},
    {"an unchecked Directory box leaves folders out", "attrs",
     [](TFileFilter& f) { f.ExcludedAttributes = 0x10; }, "attrs\\plain attrs\\readonly"},
    {"grayed boxes leave all", "attrs", [](TFileFilter&) {},
     "attrs\\plain attrs\\readonly attrs\\sub\\"},
    {"the largest size typed", "sizes",
     [](TFileFilter& f) { f.SizeRule = 2 | 12, f.SizeValue = ~0ull; },
     "sizes\\s0 sizes\\s1023 sizes\\s1024 sizes\\s2047 sizes\\s2048"},
    {"the longest age typed", "ages",
     [](TFileFilter& f) { f.DateMode = 2, f.AgeCount = ~0u, f.AgeUnit = 4; }, "ages\\new ages\\old"},
    {"a hidden folder is not entered", "hidden", [](TFileFilter&) {}, ""},
    {"hidden folders shown", "hidden", [](TFileFilter&) {}, "hidden\\h\\ hidden\\h\\x", OptShowHidden},
};

TEST_F(FinderWalk, FilterDecidesWhatIsListed) {
  for (const char* name : {"s0", "s1023", "s1024", "s2047", "s2048"})
    tmp_.File(std::string("sizes\\") + name, std::stoul(name + 1));
  const FILETIME from = LocalDay(2020, 3, 10), to = LocalDay(2020, 3, 12);
  tmp_.File("dates\\first", 1, from);
  tmp_.File("dates\\before", 1, Ticks(from, -1));
  tmp_.File("dates\\last", 1, Ticks(to, kDay - 5000000));  // 23:59:59.5
  tmp_.File("dates\\after", 1, Ticks(to, kDay));
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  tmp_.File("ages\\new", 1, Ticks(now, -kDay));
  tmp_.File("ages\\old", 1, Ticks(now, -5 * kDay));
  tmp_.File("attrs\\plain");
  tmp_.File("attrs\\readonly");
  tmp_.Folder("attrs\\sub");
  SetFileAttributesA((tmp_ / "attrs\\readonly").c_str(), FILE_ATTRIBUTE_READONLY);
  tmp_.File("hidden\\h\\x");
  SetFileAttributesA((tmp_ / "hidden\\h").c_str(), FILE_ATTRIBUTE_HIDDEN);

  for (const TFilterCase& c : kFilterCases) {
    GeneralCheckContainer = c.options;
    TSearchSetup setup;
    setup.Paths = {tmp_ / c.folder};
    c.setup(setup.Filter);
    EXPECT_EQ(Search(setup), c.expected) << c.name;
  }
}

TEST_F(FinderWalk, TextTestKeepsFilesThatHoldIt) {
  WriteTestFile(tmp_ / "text\\a.txt", "a needle here");
  WriteTestFile(tmp_ / "text\\b.txt", "hay");
  WriteTestFile(tmp_ / "text\\sub\\c.txt", Utf16("NEEDLE"));
  TSearchSetup setup;
  setup.Paths = {tmp_ / "text"};
  setup.Text = "needle";
  for (const bool full : {true, false}) {
    window_.Full = full;
    window_.Calls.clear();
    EXPECT_EQ(Search(setup), "text\\a.txt text\\sub\\c.txt") << "folders are never hits";
    EXPECT_EQ(finalStatus_, "2 files in finder");
    EXPECT_EQ(LastRows().Rows, full ? 4 : 2) << "a header row per folder in full view";
    EXPECT_EQ(window_.Calls.back().Kind, 'R');
  }
  // Without a text every entry that passes is a hit, folders too.
  EXPECT_EQ(Search(TSearchSetup{{tmp_ / "text"}}),
            "text\\a.txt text\\b.txt text\\sub\\ text\\sub\\c.txt");
}

TEST_F(FinderWalk, FinalStepRunsAfterAFailureInTheWalk) {
  tmp_.File("a.txt");
  bool thrown = false;
  window_.OnCall = [&](const TRecordingWindow::TCall&) {
    if (!std::exchange(thrown, true)) throw std::runtime_error("window gone");
  };
  int reported = 0;
  Application().OnException = [&](std::exception_ptr) { ++reported; };
  auto finder = PrepareSearch(TSearchSetup{{tmp_.Path()}}, window_);
  RunToEnd(*finder);
  Application().OnException = nullptr;
  EXPECT_TRUE(finder->SearchFinished());
  EXPECT_EQ(reported, 1) << "the failure is reported, not lost";
  EXPECT_EQ(finder->FinalStatus, "0 files in finder");
  EXPECT_EQ(LastRows().GridRows, 3);
}

TEST_F(FinderWalk, ZeroHitsLeaveRoomForTheNotFoundLine) {
  tmp_.File("a.txt");
  TSearchSetup setup{{tmp_.Path()}, "*.none"};
  EXPECT_EQ(Search(setup), "");
  EXPECT_EQ(finalStatus_, "0 files in finder");
  EXPECT_EQ(LastRows().Rows, 0);
  EXPECT_EQ(LastRows().GridRows, 3);
}

TEST_F(FinderWalk, DuplicatesByTheirRule) {
  tmp_.File("D1\\x.dat", 100);
  tmp_.File("D2\\x.dat", 100);
  tmp_.File("D3\\x.dat", 200);
  tmp_.File("D3\\y.dat", 100);
  const struct {
    uint32_t rule;
    const char* expected;
  } cases[] = {
      {3, "D1\\x.dat D2\\x.dat"},
      {1, "D1\\x.dat D2\\x.dat D3\\x.dat"},
      {2, "D1\\x.dat D2\\x.dat D3\\y.dat"},
  };
  for (const auto& c : cases) {
    TSearchSetup setup{{tmp_.Path()}};
    setup.Filter.Duplicates = 1;
    setup.Filter.DuplicateRule = c.rule;
    EXPECT_EQ(Search(setup), c.expected) << c.rule;
    EXPECT_EQ(finalStatus_, std::to_string(std::count(c.expected, c.expected + strlen(c.expected), ' ') + 1) +
                                " files in finder");
    EXPECT_EQ(LastRows().Rows, c.rule == 3 ? 2 : 3) << "one flat list, no folder rows";
  }
}

TEST_F(FinderWalk, FolderNamedTwiceGivesItsHitsOnce) {
  tmp_.File("twice\\a.txt");
  tmp_.File("twice\\sub\\b.txt");
  std::string upper = tmp_ / "twice";
  CharUpperBuffA(upper.data(), DWORD(upper.size()));
  TSearchSetup setup{{tmp_ / "twice\\\\", tmp_ / "twice", upper, tmp_ / "twice\\sub"}};
  EXPECT_EQ(Search(setup), "twice\\a.txt twice\\sub\\ twice\\sub\\b.txt");
}

TEST_F(FinderWalk, FolderLinksAreListedButNotEntered) {
  const std::string links = NativeTree("links");
  ASSERT_FALSE(links.empty());
  Search(TSearchSetup{{links}});
  EXPECT_EQ(SortedListing(links), "top\\ top\\inner.txt top\\loop\\ top\\out\\");
  // A link named as the search path is the user's choice: it is searched.
  Search(TSearchSetup{{links + "\\top\\out"}});
  EXPECT_EQ(SortedListing(links), "top\\out\\secret.txt");
}

TEST_F(FinderWalk, HostileSearchPathsFindNothing) {
  tmp_.File("real\\a.txt");
  TSearchSetup setup{{"", "\\", std::string(5000, 'a'), tmp_ / "missing", tmp_ / "real\\*",
                      "\x01\x02", "::", tmp_ / std::string(300, 'x'), tmp_ / "real"}};
  EXPECT_EQ(Search(setup), "real\\a.txt");
}

TEST_F(FinderWalk, StopInsideALargeFileKeepsEarlierHits) {
  WriteTestFile(tmp_ / "A\\one.txt", "needle");
  WriteTestFile(tmp_ / "A\\two.txt", "needle");
  // A sparse gigabyte with the word near its end.
  {
    CreateDirectoryA((tmp_ / "B").c_str(), nullptr);
    THandle big(CreateFileA((tmp_ / "B\\big.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(big);
    LARGE_INTEGER at;
    at.QuadPart = (1LL << 30) - 100;
    SetFilePointerEx(big.Get(), at, nullptr, FILE_BEGIN);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(big.Get(), "needle", 6, &written, nullptr));
  }
  bool inBig = false;
  window_.OnCall = [&](const TRecordingWindow::TCall& c) {
    if (c.Text.size() > 7 && c.Text.compare(c.Text.size() - 7, 7, "big.bin") == 0) inBig = true;
  };
  TSearchSetup setup{{tmp_ / "A", tmp_ / "B"}};
  setup.Text = "needle";
  auto finder = PrepareSearch(setup, window_);
  finder->Resume();
  while (!inBig && WaitWithMessages(finder->Handle(), 10) == WAIT_TIMEOUT) {
  }
  ASSERT_TRUE(inBig);
  WaitWithMessages(finder->Handle(), 100);
  const ULONGLONG stop = GetTickCount64();
  finder->Terminate();
  finder->WaitFor();
  EXPECT_LT(GetTickCount64() - stop, 1000u);
  EXPECT_EQ(SortedListing(tmp_.Path()), "A\\one.txt A\\two.txt");
  EXPECT_EQ(finder->FinalStatus, "2 files in finder");
  EXPECT_EQ(window_.Calls.back().Kind, 'R');
  EXPECT_TRUE(finder->SearchFinished());
}

// The window sorts, marks and reads the list in short turns while the thread
// fills it; every change of the list happens under the lock on both sides.
TEST_F(FinderWalk, WindowWorksOnTheListWhileTheSearchRuns) {
  constexpr int kFolders = 200, kFiles = 500;
  const std::string root = NativeTree("stress");
  ASSERT_FALSE(root.empty());
  TSearchSetup setup{{root}};
  setup.Text = "needle";
  auto finder = PrepareSearch(setup, window_);
  FinderTesting::SetReportInterval(~0u);
  std::mt19937 rng(5);
  const ULONGLONG start = GetTickCount64();
  finder->Resume();
  int turns = 0;
  // The deadline only ends a hung walk: 100,000 files take minutes on a
  // loaded machine.
  EXPECT_TRUE(PumpUntil([&] {
    if (WaitForSingleObject(finder->Handle(), 0) != WAIT_TIMEOUT) return true;
    {
      TLock lock(ResultsLock);
      TstateOfBrowser& list = SearchList;
      if (list.DirCount > 0) {
        const uint32_t dir = 1 + rng() % uint32_t(list.DirCount);
        list.SortKind ^= SortReverse;
        SortDir(dir, list.SortKind, list);
        ChangeDirSelection(dir, list, false, SelToggle);
        TPoolLock pool(list.Names);
        TListLock records(list);
        if (const TFileRecord* e = records.Entry(dir, 1)) {
          EXPECT_EQ(pool.Text(e->NameOffset)[0], 'f');
        }
      }
      UpdateListTotals(list);
    }
    ++turns;
    return false;
  }, 400000));
  finder->WaitFor();
  const ULONGLONG spent = GetTickCount64() - start;
  EXPECT_GT(turns, 10);
  EXPECT_EQ(finder->FinalStatus, std::to_string(kFolders * kFiles / 2) + " files in finder");
  EXPECT_EQ(SearchList.DirCount, kFolders);
  EXPECT_EQ(LastRows().Rows, kFolders * kFiles / 2 + kFolders);
  // Progress reaches the window about twenty times a second, not per file.
  const auto reports = std::count_if(window_.Calls.begin(), window_.Calls.end(),
                                     [](const auto& c) { return c.Kind == 'S'; });
  EXPECT_LT(uint64_t(reports), spent / 50 + 10);
}

TEST_F(FinderWalk, FoundFilesAllSelectedAtTheEnd) {
  tmp_.File("a.txt");
  tmp_.File("b.txt");
  tmp_.File("sub\\c.txt");
  Search(TSearchSetup{{tmp_.Path()}});
  // The user marked a file meanwhile: the end selects every file anyway.
  {
    TListLock lock(SearchList);
    TFileRecord* e = lock.Entry(1, 1);
    for (uint32_t pos = 2; e && IsFolder(*e); ++pos) e = lock.Entry(1, pos);
    ASSERT_TRUE(e);
    e->Flags |= FileMarked;
  }
  SelectFoundFiles(SearchList);
  EXPECT_EQ(SearchList.SelectedFiles, 3);
  EXPECT_EQ(SearchList.SelectedCount, 3) << "folders stay unselected";
}

}  // namespace
