// Paths at the edge of MAX_PATH: nothing is cut off, nothing is written past a buffer, and a lookup
// or save that could not fill its buffer is treated as failed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleanup/cleanup_run.h"
#include "tests/host/fake_kernel.h"
#include "tests/host/package.h"
#include "tests/host/run_check.h"

namespace {

// A Windows folder path of 240 to 262 characters. Up to 259 the lookup fills the buffer; from 260
// on it reports the size it needs. A target is attempted only when its joined path and the NUL fit
// in 260 characters: up to 242 every target fits, at 243 "\system32\drivers" no longer does.
TEST(BufferLimits, LongWindowsFolder) {
  for (std::size_t length = 240; length <= 262; ++length) {
    SCOPED_TRACE("Windows folder of " + std::to_string(length) + " characters");
    fake::Reset();
    fake::Kernel& machine = fake::Machine();
    machine.windowsDirectory = "C:\\" + std::string(length - 3, 'w');
    machine.systemDirectory = "C:\\sys";
    package::Install(machine);
    const std::vector<std::string> before = machine.Listing();

    RunCleanup();

    ExpectSoundRun(machine, before);
    std::vector<std::string> attempted;
    for (std::size_t i = 0; i + 1 < package::Folders.size(); ++i) {
      const std::string path = package::PathOf(machine, i);
      if (length < 260 && path.size() <= 259) {
        attempted.push_back(path);
      }
    }
    attempted.insert(attempted.end(), {"C:\\sys", package::Start});
    EXPECT_EQ(ChangedInto(machine.log), attempted);
    EXPECT_FALSE(machine.Exists("C:\\sys\\tq463usd.dll")) << "the system folder is still cleaned";
  }
}

// A system folder whose path fills the buffer is looked up, and one that does not fit is not:
// the lookup then reports the size it needs, and target 5 is not attempted.
TEST(BufferLimits, LongSystemFolder) {
  for (std::size_t length : {258U, 259U, 260U, 261U}) {
    SCOPED_TRACE("system folder of " + std::to_string(length) + " characters");
    fake::Reset();
    fake::Kernel& machine = fake::Machine();
    machine.systemDirectory = "C:\\" + std::string(length - 3, 's');
    package::Install(machine);
    const std::vector<std::string> before = machine.Listing();

    RunCleanup();

    ExpectSoundRun(machine, before);
    const std::vector<std::string> changes = ChangedInto(machine.log);
    ASSERT_GE(changes.size(), 2U);
    EXPECT_EQ(changes[changes.size() - 2] == machine.systemDirectory, length < 260);
    EXPECT_EQ(machine.Exists(machine.systemDirectory + "\\tq463usd.dll"), length >= 259)
        << "a path the current directory cannot hold is not entered";
  }
}

// A current directory too long for the buffer cannot be saved, so there is nothing to restore:
// the run must not change into whatever the unwritten buffer holds.
TEST(BufferLimits, UnsavableCurrentDirectory) {
  for (std::size_t length : {259U, 260U, 300U}) {
    SCOPED_TRACE("current directory of " + std::to_string(length) + " characters");
    fake::Reset();
    fake::Kernel& machine = fake::Machine();
    package::Install(machine);
    machine.currentDirectory = "C:\\" + std::string(length - 3, 'd');
    const std::vector<std::string> before = machine.Listing();

    RunCleanup();

    ExpectSoundRun(machine, before);
    const std::vector<std::string> changes = ChangedInto(machine.log);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back() == "C:\\" + std::string(length - 3, 'd'), length < 260);
  }
}

}  // namespace
