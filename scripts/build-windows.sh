# Sourced by the demo and the benchmark: installs what building and running under Wine need,
# and builds the Windows targets named as arguments.
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"

build_windows() {
  install_missing "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}"
  cmake --preset windows-x86 >/dev/null
  local target
  for target in "$@"; do
    cmake --build --preset windows-x86 --target "$target" >/dev/null
  done
}
