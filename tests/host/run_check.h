#pragma once

#include <string>
#include <vector>

#include "tests/host/fake_kernel.h"

// Checks a finished run against the rules every run must keep, whatever failed on the way:
// the save comes first, then the Windows folder lookup; each target whose base folder was reported
// and whose path fits gets one change of directory; a deletion comes only directly after a
// successful change into its own target's folder, and such a change is followed by exactly that
// target's files, once each, in order; the system folder lookup always comes; the restore comes
// last and names the saved directory, and only when the save succeeded; nothing else is called.
// Also checks that exactly the files whose deletion succeeded are gone from the drive.
void ExpectSoundRun(const fake::Kernel& machine, const std::vector<std::string>& listingBefore);

// The paths a run passed to SetCurrentDirectoryA, in order.
std::vector<std::string> ChangedInto(const std::vector<fake::Call>& log);
