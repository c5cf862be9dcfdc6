#include "tests/host/run_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "tests/host/package.h"

namespace {

using fake::Call;
using fake::Op;

constexpr unsigned long kBufferSize = 260;

bool Filled(const Call& call) {
  return call.result != 0 && call.result < kBufferSize;
}

std::string Folded(std::string path) {
  path = fake::Normalize(path);
  std::transform(path.begin(), path.end(), path.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return path;
}

// Walks the log in the one order the rules allow, failing at the first call that breaks them.
class Walk {
 public:
  explicit Walk(const std::vector<Call>& log) : log_(log) {}

  // The next call, which must be of `op`; null at the end of the log.
  const Call* Next(Op op, const char* rule) {
    if (at_ >= log_.size()) {
      ADD_FAILURE() << "the run ended early; expected: " << rule;
      return nullptr;
    }
    const Call& call = log_[at_++];
    EXPECT_EQ(call.op, op) << "call " << at_ - 1 << " breaks: " << rule;
    return call.op == op ? &call : nullptr;
  }

  // A change into `folder`, and if it succeeded, one deletion of each of `files`, in order.
  void Target(const std::string& folder, const std::vector<std::string>& files) {
    const Call* change = Next(Op::SetCurrentDirectory, "a change into each reached target");
    if (change == nullptr) {
      return;
    }
    EXPECT_EQ(change->text, folder) << "a target's path is its base folder and suffix, whole";
    if (change->result == 0) {
      return;  // the files of a folder that could not be entered are not attempted
    }
    for (const std::string& file : files) {
      const Call* deletion = Next(Op::DeleteFile, "every file of a reached target, in order");
      if (deletion == nullptr) {
        return;
      }
      EXPECT_EQ(deletion->text, file);
      if (deletion->result != 0) {
        deleted.insert(Folded(folder + '\\' + file));
      }
    }
  }

  bool AtEnd() const {
    return at_ == log_.size();
  }

  std::set<std::string> deleted;

 private:
  const std::vector<Call>& log_;
  std::size_t at_ = 0;
};

}  // namespace

void ExpectSoundRun(const fake::Kernel& machine, const std::vector<std::string>& listingBefore) {
  SCOPED_TRACE(machine.Describe());
  Walk walk(machine.log);

  const Call* save = walk.Next(Op::GetCurrentDirectory, "the save comes first");
  const Call* windows = walk.Next(Op::GetWindowsDirectory, "then the Windows folder lookup");
  if (save == nullptr || windows == nullptr) {
    return;
  }
  EXPECT_EQ(save->size, kBufferSize);
  EXPECT_EQ(windows->size, kBufferSize);
  if (Filled(*windows)) {
    for (std::size_t i = 0; i + 1 < package::Folders.size(); ++i) {
      const std::string path = windows->text + package::Folders[i].suffix;
      if (path.size() < kBufferSize) {  // a path that does not fit is never passed on
        walk.Target(path, package::Folders[i].files);
      }
    }
  }
  const Call* system = walk.Next(Op::GetSystemDirectory, "the system folder lookup always comes");
  if (system == nullptr) {
    return;
  }
  EXPECT_EQ(system->size, kBufferSize);
  if (Filled(*system)) {
    walk.Target(system->text, package::Folders.back().files);
  }
  if (Filled(*save)) {
    const Call* restore = walk.Next(Op::SetCurrentDirectory, "the restore comes last");
    if (restore != nullptr) {
      EXPECT_EQ(restore->text, save->text) << "the restore names the saved directory";
    }
  }
  EXPECT_TRUE(walk.AtEnd()) << "nothing is called after the restore";

  std::vector<std::string> expected;
  for (const std::string& entry : listingBefore) {
    if (!walk.deleted.contains(Folded(entry))) {
      expected.push_back(entry);
    }
  }
  EXPECT_EQ(machine.Listing(), expected) << "exactly the files deleted successfully are gone";
}

std::vector<std::string> ChangedInto(const std::vector<fake::Call>& log) {
  std::vector<std::string> paths;
  for (const Call& call : log) {
    if (call.op == Op::SetCurrentDirectory) {
      paths.push_back(call.text);
    }
  }
  return paths;
}
