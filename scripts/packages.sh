# Sourced by the scripts: installs Debian packages that are missing, and nothing else.

# The packages each step needs. Wine is Debian's 32-bit build on the i386 architecture.
BUILD_PACKAGES=(cmake make g++ libgtest-dev g++-mingw-w64-i686)
WINE_PACKAGES=(wine wine32:i386 wine64 python3-pefile)

# Installs those of the named packages that are not installed yet, with apt, as root.
install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing ${missing[*]} ..." >&2
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  if [[ " ${missing[*]}" == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >&2
}
