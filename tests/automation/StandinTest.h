#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/TempFolder.h"

// Registers the stand-in office servers for one test, in a fresh temp folder,
// with COM initialised; KVT_STANDIN_* steer the server (see standin/).
class TStandinTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static void Register();
  static void Unregister();
  std::string Path(const std::string& name) const { return dir_ / name; }
  void WriteFile(const std::string& name, const std::string& text) const;
  std::string ReadFile(const std::string& name) const;
  std::vector<std::string> Log() const;
  // Index of the first log line equal to call, or -1.
  int LogIndex(const std::string& call) const;
  // How many log lines equal call.
  int Count(const std::string& call) const;
  static void FailCalls(const std::string& calls);
  static void UserDocuments(int count);

  // How a helper's run of the office calls is meant to end. Only that end
  // passes: in a test of "nothing changed", a call that breaks unexpectedly
  // must not look like success.
  enum class TRunEnd { Completes, OleError, Stopped };
  static void RunExpecting(TRunEnd end, const std::function<void()>& calls);

 private:
  TTempFolder dir_;
};
