#pragma once

// An in-memory stand-in for the five kernel operations the cleanup uses, for tests on a host
// without Windows. It keeps one drive of folders and files, a current directory, and a log of every
// call. It follows the platform's contracts: names match without regard to letter case, doubled
// separators fold, a lookup into a buffer that is too small reports the size it needs and writes
// nothing, and a failed change of directory leaves the current directory as it was.

#include <cstddef>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace fake {

enum class Op {
  GetCurrentDirectory,
  GetWindowsDirectory,
  GetSystemDirectory,
  SetCurrentDirectory,
  DeleteFile,
};

// One call as the program made it.
struct Call {
  Op op;
  unsigned long size;  // the buffer size passed to a save or lookup; 0 for the others
  std::string text;    // the path passed in, or the path a save or lookup wrote (empty if none)
  unsigned long result;

  bool operator==(const Call&) const = default;
};

void PrintTo(const Call& call, std::ostream* out);

enum class Lock {
  None,
  ReadOnly,  // DeleteFileA fails, as for a file without write permission
  InUse,     // DeleteFileA fails, as for a file another process holds open without delete sharing
};

class Kernel {
 public:
  // Paths are absolute ("C:\..."); parents are created as needed.
  void AddFolder(const std::string& path);
  void AddFile(const std::string& path, Lock lock = Lock::None);

  bool Exists(const std::string& path) const;
  // Every folder and file on the drive, with the letter case it was created with, sorted.
  std::vector<std::string> Listing() const;
  // The whole state, for a failing assertion to print.
  std::string Describe() const;

  std::string currentDirectory = "C:\\";
  std::string windowsDirectory = "C:\\windows";  // empty: the lookup fails
  std::string systemDirectory = "C:\\windows\\system32";

  // Asked before every call with the call's place in the log, its operation and, for the two that
  // take a path, that path. True makes the call fail with no effect, as the platform reports it.
  std::function<bool(std::size_t index, Op op, const std::string& path)> failIf;

  std::vector<Call> log;

  // The operations, called by the five kernel functions.
  unsigned long CopyOut(Op op, const std::string& value, char* buffer, unsigned long size);
  unsigned long ChangeDirectory(const char* path);
  unsigned long Delete(const char* name);

 private:
  struct Node {
    std::string path;  // as created
    bool folder;
    Lock lock;
  };

  bool Fails(Op op, const std::string& path) const;
  std::string Resolve(const std::string& path) const;
  const Node* Find(const std::string& path) const;

  std::map<std::string, Node> nodes_;  // keyed by the folded path
};

// The machine the five kernel functions act on. Reset() gives a new, empty one.
Kernel& Machine();
void Reset();

// A path with its separators folded: "C:\\a\b\" and "c:/a/b" become "C:\a\b" and "c:\a\b".
std::string Normalize(const std::string& path);

}  // namespace fake
