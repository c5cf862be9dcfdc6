#include "cleanup/cleanup_run.h"
#include "cleanup/platform.h"

// The status is 1 whatever the run did: the run reports nothing, so the status cannot either.
int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  RunCleanup();
  return 1;
}
