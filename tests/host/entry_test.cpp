#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleanup/platform.h"
#include "tests/host/fake_kernel.h"
#include "tests/host/package.h"

namespace {

// Whatever the arguments, WinMain makes one full run and returns 1; the command line changes
// nothing.
TEST(WinMain, RunsOnceAndReturnsOne) {
  std::vector<fake::Call> firstRun;
  for (const char* commandLine : {"", "/?", "--dry-run", "/s C:\\other", "kestocap.exe"}) {
    for (int show : {0, 1, 10}) {
      SCOPED_TRACE(std::string("command line \"") + commandLine + "\", show " +
                   std::to_string(show));
      fake::Reset();
      fake::Kernel& machine = fake::Machine();
      package::Install(machine);
      std::string line = commandLine;

      EXPECT_EQ(WinMain(nullptr, nullptr, line.data(), show), 1);

      EXPECT_EQ(
          std::count_if(machine.log.begin(), machine.log.end(),
                        [](const fake::Call& c) { return c.op == fake::Op::GetCurrentDirectory; }),
          1);
      if (firstRun.empty()) {
        firstRun = machine.log;
        EXPECT_EQ(firstRun.size(), 27U) << "save, two lookups, five changes, 18 deletions, restore";
      }
      EXPECT_EQ(machine.log, firstRun);
      EXPECT_EQ(line, commandLine) << "the command line is not written to";
    }
  }
}

// A run on a machine without the package still ends with 1.
TEST(WinMain, ReturnsOneWhenNothingIsThere) {
  fake::Reset();
  package::AddWindows(fake::Machine());
  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 1);
  EXPECT_FALSE(fake::Machine().log.empty());
}

}  // namespace
