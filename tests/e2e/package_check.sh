#!/usr/bin/env bash
# Checks the release that scripts/package wrote: the checksums verify; each archive, unpacked
# into a temporary folder, holds the programs, the plug-in, the host headers (which compile
# on their own) and the README; its lumarin-host runs the README's worked example and its
# cleaner answers --version. The win32 programs run under Wine where this kernel runs
# 32-bit programs; elsewhere their file types and version resources are checked instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=$(cd "${1:-$root/build/dist}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "checksums do not verify"
zip=$(ls "$dist"/*-win32.zip)
tarball=$(ls "$dist"/*-linux-x86_64.tar.gz)
top=$(basename "$zip" -win32.zip)      # <project>-<version>
version=${top##*-}
(cd "$work" && cmake -E tar xf "$zip" && cmake -E tar xf "$tarball")
win=$work/$top-win32
linux=$work/$top-linux-x86_64

headers=(include/lumarin/lumarin.h include/lumarin/object.h include/lumarin/host_interfaces.h)
expect_files() {   # FOLDER FILE...
  local folder=$1 file
  shift
  for file in "$@" README.md "${headers[@]}"; do
    [ -f "$folder/$file" ] || fail "$(basename "$folder") lacks $file"
  done
}
expect_files "$linux" bin/cleaner bin/Moravel2010IBeta-sim bin/lumarin-host bin/Lumarin.so
expect_files "$win" bin/cleaner.exe bin/Moravel2010IBeta-sim.exe bin/lumarin-host.exe \
  bin/Lumarin.dll

# The headers a host component includes need nothing else from this tree.
printf '#include <lumarin/lumarin.h>\n#include <lumarin/host_interfaces.h>\n' \
  >"$work/host.cpp"
g++ -std=c++17 -fsyntax-only -I "$linux/include" "$work/host.cpp" || fail "linux headers"
i686-w64-mingw32-g++-posix -std=c++17 -fsyntax-only -I "$win/include" "$work/host.cpp" ||
  fail "win32 headers"

example='flash Lumarin_GetPetInfo 433791706897
fail'
success_page="page Lumarin_GetPetInfoCallBackSuc {petid:'433791706897'"
success_flash="flash <invoke name='Lumarin_GetPetInfoCallBackSuc'  returntype='xml'><arguments>"
failures_text="page Lumarin_GetPetInfoCallBackFail
flash <invoke name='Lumarin_GetPetInfoCallBackFail'  returntype='xml'><arguments></arguments></invoke>"
check_runs() {   # NAME COMMAND-PREFIX...: runs bin/lumarin-host and bin/cleaner --version
  local name=$1 out
  shift
  out=$("$@" lumarin-host <<<"$example" 2>/dev/null | tr -d '\r') ||
    fail "$name: lumarin-host failed"
  [[ $(sed -n 1p <<<"$out") == "$success_page"* ]] || fail "$name: worked example, line 1"
  [[ $(sed -n 2p <<<"$out") == "$success_flash"* ]] || fail "$name: worked example, line 2"
  [ "$(sed -n 3,4p <<<"$out")" = "$failures_text" ] || fail "$name: worked example, lines 3-4"
  out=$("$@" cleaner --version | tr -d '\r')
  [ "$out" = "cleaner $version" ] || fail "$name: cleaner --version said '$out'"
}
run_linux() { local program=$1; shift; "$linux/bin/$program" "$@"; }
run_win32() {
  local program=$1; shift
  WINE_BUILD_DIR=$root/build/win32 "$root/cmake/wine-run" "$win/bin/$program.exe" "$@"
}
check_runs linux run_linux
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  check_runs win32 run_win32
else
  echo "package: this kernel runs no 32-bit programs: the win32 programs are checked as files" >&2
  for file in cleaner.exe:"PE32 executable (GUI) Intel 80386" \
              lumarin-host.exe:"PE32 executable (console) Intel 80386" \
              Moravel2010IBeta-sim.exe:"PE32 executable (console) Intel 80386" \
              Lumarin.dll:"PE32 executable (DLL)"; do
    name=${file%%:*}
    file -b "$win/bin/$name" | grep -qF "${file#*:}" || fail "$name is no ${file#*:}"
    strings -el "$win/bin/$name" | grep -qx "$version" || fail "$name has no version $version"
  done
fi

[ "$failures" -eq 0 ] || exit 1
echo "package checked: $(basename "$zip"), $(basename "$tarball"), SHA256SUMS"
