#include "cleanup/cleanup_run.h"

#include <cstddef>
#include <cstring>

#include "cleanup/platform.h"
#include "cleanup/removal_plan.h"

namespace {

// A save or lookup into a MAX_PATH buffer filled it only when the reported length fits: zero is a
// failure, and MAX_PATH or more is the size the platform needed, with the buffer left unwritten.
bool FilledBuffer(unsigned long length) {
  return length != 0 && length < MAX_PATH;
}

// Puts the base folder's path into `folder`; false when the platform did not.
bool LookUpBase(BaseDirectory base, char (&folder)[MAX_PATH]) {
  const UINT length = base == BaseDirectory::Windows ? GetWindowsDirectoryA(folder, MAX_PATH)
                                                     : GetSystemDirectoryA(folder, MAX_PATH);
  return FilledBuffer(length);
}

// Writes `folder` then `suffix` into `path`; false, with `path` not to be used, when the two and
// the NUL do not fit. A cut-off path could name another folder, so it is never passed on.
bool JoinPath(char (&path)[MAX_PATH], const char* folder, const char* suffix) {
  const std::size_t folderLength = std::strlen(folder);
  const std::size_t suffixLength = std::strlen(suffix);
  if (folderLength + suffixLength >= sizeof path) {
    return false;
  }
  std::memcpy(path, folder, folderLength);
  std::memcpy(path + folderLength, suffix, suffixLength + 1);
  return true;
}

// Makes the target's folder current; false when its path does not fit or the change failed, in
// which case the current directory is as it was.
bool EnterTarget(const CleanupTarget& target, const char* baseFolder, char (&path)[MAX_PATH]) {
  if (target.suffix[0] == '\0') {
    return SetCurrentDirectoryA(baseFolder) != 0;
  }
  return JoinPath(path, baseFolder, target.suffix) && SetCurrentDirectoryA(path) != 0;
}

}  // namespace

void RunCleanup() {
  char savedDirectory[MAX_PATH];
  char baseFolder[MAX_PATH];
  char targetPath[MAX_PATH];

  // Without a saved directory there is nothing to go back to, and the buffer holds no path.
  const bool saved = FilledBuffer(GetCurrentDirectoryA(MAX_PATH, savedDirectory));

  bool haveBase = false;
  for (std::size_t i = 0; i < RemovalPlan.size(); ++i) {
    const CleanupTarget& target = RemovalPlan[i];
    if (i == 0 || target.base != RemovalPlan[i - 1].base) {
      haveBase = LookUpBase(target.base, baseFolder);
    }
    // Bare names resolve in the current directory, so they are deleted only right after a
    // successful change into their own folder.
    if (haveBase && EnterTarget(target, baseFolder, targetPath)) {
      for (const char* file : target.files) {
        DeleteFileA(file);
      }
    }
  }

  if (saved) {
    SetCurrentDirectoryA(savedDirectory);
  }
}
