// Test helper, not part of the product: holds the files named on its command line open without
// delete sharing, as another program using them would, says "held" on its standard output, and
// lets go when its standard input closes.

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const HANDLE file = CreateFileA(argv[i], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      std::fprintf(stderr, "cannot open %s\n", argv[i]);
      return 2;
    }
  }
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}
