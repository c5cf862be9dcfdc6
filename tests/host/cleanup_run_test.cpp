#include "cleanup/cleanup_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "tests/host/fake_kernel.h"
#include "tests/host/package.h"

namespace {

using fake::Call;
using fake::Op;
using Names = std::vector<std::string>;

const std::string Win = "C:\\windows";
const std::string Twain = Win + "\\twain_32\\kesto";
const std::string Drivers = Win + "\\system32\\drivers";
const std::string Snap = Win + "\\BelvaSnap";
const std::string Sys = Win + "\\system32";

const Names& FilesOf(std::size_t folder) {
  return package::Folders[folder].files;
}

// The calls a run is expected to make, written out line by line.
struct Trace {
  Trace& Save(const std::string& dir) {
    return Add({Op::GetCurrentDirectory, 260, dir, dir.size()});
  }
  Trace& Windows(const std::string& dir) {
    return Add({Op::GetWindowsDirectory, 260, dir, dir.size()});
  }
  Trace& System(const std::string& dir) {
    return Add({Op::GetSystemDirectory, 260, dir, dir.size()});
  }
  Trace& Change(const std::string& path, bool succeeds = true) {
    return Add({Op::SetCurrentDirectory, 0, path, succeeds ? 1UL : 0UL});
  }
  Trace& Delete(const Names& names, bool succeeds = true) {
    for (const std::string& name : names) {
      Add({Op::DeleteFile, 0, name, succeeds ? 1UL : 0UL});
    }
    return *this;
  }
  Trace& Add(const Call& call) {
    calls.push_back(call);
    return *this;
  }
  std::vector<Call> calls;
};

// The paths of the files of the package's folders numbered `folders`, with the five folders at
// `at`.
Names PathsOf(const std::vector<std::size_t>& folders,
              const Names& at = {Win, Twain, Drivers, Snap, Sys}) {
  Names paths;
  for (std::size_t i : folders) {
    for (const std::string& file : FilesOf(i)) {
      paths.push_back(fake::Normalize(at[i] + "\\" + file));
    }
  }
  return paths;
}

// The package's eighteen files with the letter case of their folders and names swapped.
Names SwappedCase() {
  Names paths = PathsOf({0, 1, 2, 3, 4});
  for (std::string& path : paths) {
    for (char& c : path) {
      const auto u = static_cast<unsigned char>(c);
      c = static_cast<char>(std::isupper(u) != 0 ? std::tolower(u) : std::toupper(u));
    }
  }
  return paths;
}

struct Scenario {
  const char* name;
  std::function<void(fake::Kernel&)> setUp;
  std::vector<Call> calls;
  Names removed;  // every other entry on the drive stays
};

const Trace FullRun = Trace()
                          .Save(package::Start)
                          .Windows(Win)
                          .Change(Win)
                          .Delete(FilesOf(0))
                          .Change(Twain)
                          .Delete(FilesOf(1))
                          .Change(Drivers)
                          .Delete(FilesOf(2))
                          .Change(Snap)
                          .Delete(FilesOf(3))
                          .System(Sys)
                          .Change(Sys)
                          .Delete(FilesOf(4))
                          .Change(package::Start);

const std::vector<Scenario> Scenarios = {
    {"installed: all eighteen go, in order", package::Install, FullRun.calls,
     PathsOf({0, 1, 2, 3, 4})},
    {"never installed: six attempts, the package's own folders skipped",
     package::AddWindows,
     Trace()
         .Save(package::Start)
         .Windows(Win)
         .Change(Win)
         .Delete(FilesOf(0), false)
         .Change(Twain, false)
         .Change(Drivers)
         .Delete(FilesOf(2), false)
         .Change(Snap, false)
         .System(Sys)
         .Change(Sys)
         .Delete(FilesOf(4), false)
         .Change(package::Start)
         .calls,
     {}},
    {"package folder missing: no .set name attempted, the system folder still cleaned",
     [](fake::Kernel& m) {
       package::AddWindows(m);
       package::AddPackage(m, 3);
     },
     Trace()
         .Save(package::Start)
         .Windows(Win)
         .Change(Win)
         .Delete(FilesOf(0))
         .Change(Twain)
         .Delete(FilesOf(1))
         .Change(Drivers)
         .Delete(FilesOf(2))
         .Change(Snap, false)
         .System(Sys)
         .Change(Sys)
         .Delete(FilesOf(4))
         .Change(package::Start)
         .calls,
     PathsOf({0, 1, 2, 4})},
    {"Windows folder lookup fails: only the system folder is cleaned",
     [](fake::Kernel& m) {
       package::Install(m);
       m.windowsDirectory.clear();
     },
     Trace()
         .Save(package::Start)
         .Windows("")
         .System(Sys)
         .Change(Sys)
         .Delete(FilesOf(4))
         .Change(package::Start)
         .calls,
     PathsOf({4})},
    {"system folder lookup fails: the Windows targets are cleaned, the restore still runs",
     [](fake::Kernel& m) {
       package::Install(m);
       m.systemDirectory.clear();
     },
     Trace()
         .Save(package::Start)
         .Windows(Win)
         .Change(Win)
         .Delete(FilesOf(0))
         .Change(Twain)
         .Delete(FilesOf(1))
         .Change(Drivers)
         .Delete(FilesOf(2))
         .Change(Snap)
         .Delete(FilesOf(3))
         .System("")
         .Change(package::Start)
         .calls,
     PathsOf({0, 1, 2, 3})},
    {"the Windows folder cannot be entered: its subfolders are still cleaned",
     [](fake::Kernel& m) {
       package::Install(m);
       m.failIf = [](std::size_t, Op op, const std::string& path) {
         return op == Op::SetCurrentDirectory && path == Win;
       };
     },
     Trace()
         .Save(package::Start)
         .Windows(Win)
         .Change(Win, false)
         .Change(Twain)
         .Delete(FilesOf(1))
         .Change(Drivers)
         .Delete(FilesOf(2))
         .Change(Snap)
         .Delete(FilesOf(3))
         .System(Sys)
         .Change(Sys)
         .Delete(FilesOf(4))
         .Change(package::Start)
         .calls,
     PathsOf({1, 2, 3, 4})},
    {"files that cannot be deleted do not stop the later ones",
     [](fake::Kernel& m) {
       package::Install(m);
       m.AddFile(Win + "\\kestocap.exe", fake::Lock::ReadOnly);
       m.AddFile(Snap + "\\41357KD.set", fake::Lock::InUse);
       m.AddFile(Sys + "\\Tq463ext.dll", fake::Lock::ReadOnly);
     },
     Trace()
         .Save(package::Start)
         .Windows(Win)
         .Change(Win)
         .Delete({"kestocap.exe"}, false)
         .Delete({"kestodib.dll"})
         .Change(Twain)
         .Delete(FilesOf(1))
         .Change(Drivers)
         .Delete(FilesOf(2))
         .Change(Snap)
         .Delete({"41357.set"})
         .Delete({"41357KD.set"}, false)
         .Delete({"52917.set", "52147.set", "52147KD.set", "52147KH.set", "39457.set", "3945R2.set",
                  "52737.set", "41957.set", "4195R2.set"})
         .System(Sys)
         .Change(Sys)
         .Delete({"Tq463ext.dll"}, false)
         .Delete({"Tq463ext.ax", "tq463usd.dll"})
         .Change(package::Start)
         .calls,
     [] {
       Names removed = PathsOf({0, 1, 2, 3, 4});
       std::erase(removed, Win + "\\kestocap.exe");
       std::erase(removed, Snap + "\\41357KD.set");
       std::erase(removed, Sys + "\\Tq463ext.dll");
       return removed;
     }()},
    {"a second run finds nothing and changes nothing",
     [](fake::Kernel& m) {
       package::Install(m);
       RunCleanup();
       m.log.clear();
     },
     Trace()
         .Save(package::Start)
         .Windows(Win)
         .Change(Win)
         .Delete(FilesOf(0), false)
         .Change(Twain)
         .Delete(FilesOf(1), false)
         .Change(Drivers)
         .Delete(FilesOf(2), false)
         .Change(Snap)
         .Delete(FilesOf(3), false)
         .System(Sys)
         .Change(Sys)
         .Delete(FilesOf(4), false)
         .Change(package::Start)
         .calls,
     {}},
    {"names stored in another letter case are the same files",
     [](fake::Kernel& m) {
       for (const std::string& path : SwappedCase()) {
         m.AddFile(path);
       }
       package::AddWindows(m);
     },
     FullRun.calls, SwappedCase()},
    {"the plan's names elsewhere, and names like them, stay",
     [](fake::Kernel& m) {
       package::Install(m);
       for (const char* decoy :
            {"C:\\start\\kestocap.exe", "C:\\start\\41357.set", "C:\\windows\\Tq463ext.dll",
             "C:\\windows\\41357.set", "C:\\windows\\twain_32\\TQ463TWN.ds",
             "C:\\windows\\system32\\kestocap.exe", "C:\\windows\\system32\\tq463vid.sys",
             "C:\\windows\\system32\\drivers\\kestodib.dll", "C:\\windows\\kestocap.exe.bak",
             "C:\\windows\\kestocap.ex", "C:\\windows\\BelvaSnap\\41357.set.old",
             "C:\\windows\\BelvaSnap\\41358.set", "C:\\windows\\BelvaSnap\\sub\\41357.set",
             "C:\\windows\\system32\\Tq463ext.ax.old"}) {
         m.AddFile(decoy);
       }
     },
     FullRun.calls, PathsOf({0, 1, 2, 3, 4})},
    {"a Windows folder at a drive root is joined with a doubled separator",
     [](fake::Kernel& m) {
       m.windowsDirectory = "C:\\";
       m.systemDirectory = "C:\\system32";
       package::Install(m);
     },
     Trace()
         .Save(package::Start)
         .Windows("C:\\")
         .Change("C:\\")
         .Delete(FilesOf(0))
         .Change("C:\\\\twain_32\\kesto")
         .Delete(FilesOf(1))
         .Change("C:\\\\system32\\drivers")
         .Delete(FilesOf(2))
         .Change("C:\\\\BelvaSnap")
         .Delete(FilesOf(3))
         .System("C:\\system32")
         .Change("C:\\system32")
         .Delete(FilesOf(4))
         .Change(package::Start)
         .calls,
     PathsOf({0, 1, 2, 3, 4}, {"C:\\", "C:\\twain_32\\kesto", "C:\\system32\\drivers",
                               "C:\\BelvaSnap", "C:\\system32"})},
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
  *out << scenario.name;
}

class CleanupRun : public testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    fake::Reset();
  }
};

TEST_P(CleanupRun, CallsDeletesAndRestores) {
  const Scenario& scenario = GetParam();
  fake::Kernel& machine = fake::Machine();
  scenario.setUp(machine);
  const Names before = machine.Listing();

  RunCleanup();

  SCOPED_TRACE(machine.Describe());
  EXPECT_EQ(machine.log, scenario.calls);
  Names expected;
  for (const std::string& entry : before) {
    if (std::find(scenario.removed.begin(), scenario.removed.end(), entry) ==
        scenario.removed.end()) {
      expected.push_back(entry);
    }
  }
  EXPECT_EQ(machine.Listing(), expected);
  EXPECT_EQ(before.size() - expected.size(), scenario.removed.size())
      << "every file expected to go was there to begin with";
  EXPECT_EQ(machine.currentDirectory, package::Start);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, CleanupRun, testing::ValuesIn(Scenarios),
                         [](const testing::TestParamInfo<Scenario>& param) {
                           std::string name = param.param.name;
                           std::replace_if(
                               name.begin(), name.end(),
                               [](unsigned char c) { return std::isalnum(c) == 0; }, '_');
                           return name;
                         });

}  // namespace
