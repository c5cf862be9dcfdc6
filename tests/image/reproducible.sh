#!/usr/bin/env bash
# Builds Purgelet.exe again from a copy of the sources in another folder, and compares the bytes
# with the image under test: one commit must always build the same image.
#   reproducible.sh SOURCE_DIR EXE
set -euo pipefail
source_dir=$1
exe=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/elsewhere"
(cd "$source_dir" && cp -r CMakeLists.txt CMakePresets.json cmake cleanup app tests "$work/elsewhere/")
cmake --preset windows-x86 -S "$work/elsewhere" -D BUILD_TESTING=OFF >/dev/null
cmake --build "$work/elsewhere/build/windows-x86" --target Purgelet >/dev/null
if cmp "$exe" "$work/elsewhere/build/windows-x86/Purgelet.exe"; then
  echo "same bytes from $work/elsewhere: $(sha256sum <"$exe" | cut -d' ' -f1)"
else
  exit 1
fi
