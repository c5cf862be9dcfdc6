// The benchmark's baseline, not part of the product: a GUI program that does nothing, built with
// Purgelet.exe's flags, so that the difference in time is the cleanup's own.

#include <windows.h>

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  return 1;
}
