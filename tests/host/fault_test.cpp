// Failure injection: the run keeps its rules whichever of its calls fail.

#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

#include "cleanup/cleanup_run.h"
#include "tests/host/fake_kernel.h"
#include "tests/host/package.h"
#include "tests/host/run_check.h"

namespace {

using fake::Op;

// The two machines the faults are tried on.
const std::vector<void (*)(fake::Kernel&)> Machines = {package::Install, package::AddWindows};

// The eight calls whose results the run examines: the save, the two lookups and the changes into
// the five target folders. Each of the 256 combinations of their success and failure.
TEST(Faults, EveryCombinationOfExaminedResults) {
  for (auto setUp : Machines) {
    for (unsigned mask = 0; mask < 256; ++mask) {
      SCOPED_TRACE("failing " + std::bitset<8>(mask).to_string() +
                   " (bits from the right: save, Windows lookup, system lookup, targets 1-5)");
      fake::Reset();
      fake::Kernel& machine = fake::Machine();
      setUp(machine);
      std::vector<std::string> targets;
      for (std::size_t i = 0; i < package::Folders.size(); ++i) {
        targets.push_back(package::PathOf(machine, i));
      }
      machine.failIf = [mask, targets](std::size_t, Op op, const std::string& path) {
        const std::bitset<8> fails(mask);
        switch (op) {
          case Op::GetCurrentDirectory:
            return fails[0];
          case Op::GetWindowsDirectory:
            return fails[1];
          case Op::GetSystemDirectory:
            return fails[2];
          case Op::SetCurrentDirectory:
            for (std::size_t i = 0; i < targets.size(); ++i) {
              if (path == targets[i]) {
                return fails[3 + i];
              }
            }
            return false;
          case Op::DeleteFile:
            return false;
        }
        return false;
      };
      const std::vector<std::string> before = machine.Listing();

      RunCleanup();

      ExpectSoundRun(machine, before);
      if ((mask & 1U) == 0) {
        EXPECT_EQ(machine.currentDirectory, package::Start);
      }
    }
  }
}

// Any one call failing, the first, the second and so on, until a run makes fewer calls than that.
TEST(Faults, AnySingleCallFailing) {
  for (auto setUp : Machines) {
    for (std::size_t failing = 0;; ++failing) {
      SCOPED_TRACE("failing call " + std::to_string(failing));
      fake::Reset();
      fake::Kernel& machine = fake::Machine();
      setUp(machine);
      machine.failIf = [failing](std::size_t index, Op, const std::string&) {
        return index == failing;
      };
      const std::vector<std::string> before = machine.Listing();

      RunCleanup();

      ExpectSoundRun(machine, before);
      if (machine.log.size() <= failing) {
        break;
      }
      EXPECT_EQ(machine.log[failing].result, 0U) << "the fault fired";
    }
  }
}

}  // namespace
