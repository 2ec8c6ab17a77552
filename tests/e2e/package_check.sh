#!/usr/bin/env bash
# Checks the release that scripts/package wrote in DIST (default build/dist), as a release
# manager and a host developer would:
# - SHA256SUMS verifies and names the four archives; packaging this tree again gives the
#   same SHA256SUMS; every entry carries the commit's time, owner 0 and a fixed mode;
# - each archive holds exactly its files: the client ones flat, the SDK ones in one folder;
# - the Linux programs need only the C and C++ runtime (ldd); every PE file declares
#   Windows 6.0 and carries no time stamp;
# - a host project builds against each SDK, moved elsewhere (a path with blanks), through
#   find_package(Lumarin) and CMAKE_PREFIX_PATH alone, and runs with the plug-in the package
#   names; so does the SDK's own examples/host, through Lumarin_DIR, with each generator
#   and build type; the SDK's README is its own, and version.h names the package version;
# - the SDK's lumarin-host runs the README's worked example; the cleaner answers --version.
# The win32 programs run under Wine where this kernel runs 32-bit programs; elsewhere they
# are built or checked as files only.
#   tests/e2e/package_check.sh [DIST]
set -euo pipefail
export LC_ALL=C TZ=UTC
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=$(cd "${1:-$root/build/dist}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

tarball=$(ls "$dist"/*-linux-x86_64.tar.gz | grep -v -- '-SDK-')
top=$(basename "$tarball" -linux-x86_64.tar.gz)      # <project>-<version>
project=${top%-*} version=${top##*-}
client_zip=$top-win32.zip client_tar=$top-linux-x86_64.tar.gz
sdk_win=$project-SDK-$version-win32 sdk_linux=$project-SDK-$version-linux-x86_64
archives=("$client_tar" "$client_zip" "$sdk_linux.tar.gz" "$sdk_win.zip")

# Checksums, and the same bytes again from this tree.
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "checksums do not verify"
[ "$(awk '{print $2}' "$dist/SHA256SUMS" | sort)" = "$(printf '%s\n' "${archives[@]}" | sort)" ] ||
  fail "SHA256SUMS does not name exactly the four archives"
"$root/scripts/package" "$work/again" >/dev/null || fail "packaging again failed"
cmp -s "$dist/SHA256SUMS" "$work/again/SHA256SUMS" ||
  fail "packaging again gave other archives: $(diff "$dist/SHA256SUMS" "$work/again/SHA256SUMS")"

# Entry metadata: the commit's time (zip: rounded up to even seconds), owner 0, fixed modes.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
tar_time=$(date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
zip_time=$(date -d "@$(((epoch + 1) / 2 * 2))" '+%Y%m%d.%H%M%S')
for archive in "$client_tar" "$sdk_linux.tar.gz"; do
  tar --full-time --numeric-owner -tvzf "$dist/$archive" |
    awk -v t="$tar_time" '$2 != "0/0" || $4 " " $5 != t || $1 !~ /^(-rw-r--r--|-rwxr-xr-x|drwxr-xr-x)$/' |
    grep . && fail "$archive: entries above lack the commit's time, owner 0 or a fixed mode"
done
for archive in "$client_zip" "$sdk_win.zip"; do
  zipinfo -T -l "$dist/$archive" | awk -v t="$zip_time" '/^[-d]/ && ($8 != t || $1 !~ /^-rw[-x]r-[-x]r-[-x]$/)' |
    grep . && fail "$archive: entries above lack the commit's time or a fixed mode"
done

# Exactly their files.
expect_list() {   # ARCHIVE FILE...: the archive's files (not its folders), in any order
  local archive=$1 got
  shift
  case $archive in
    *.zip) got=$(unzip -Z1 "$dist/$archive" | grep -v '/$' | sort) ;;
    *) got=$(tar -tzf "$dist/$archive" | grep -v '/$' | sort) ;;
  esac
  [ "$got" = "$(printf '%s\n' "$@" | sort)" ] ||
    fail "$archive holds:"$'\n'"$got"$'\n'"expected:"$'\n'"$(printf '%s\n' "$@" | sort)"
}
sdk_files() {   # FOLDER LIBRARY-SUFFIX PROGRAM-SUFFIX BUILD-TYPE
  local f=$1
  echo "$f/README.md" "$f/bin/Lumarin$2" "$f/bin/lumarin-host$3" "$f/bin/Moravel2010IBeta-sim$3" \
    "$f/include/lumarin/lumarin.h" "$f/include/lumarin/object.h" \
    "$f/include/lumarin/host_interfaces.h" "$f/include/lumarin/automation.h" \
    "$f/include/lumarin/loader.h" "$f/include/lumarin/version.h" \
    "$f/examples/host/CMakeLists.txt" "$f/examples/host/main.cpp" \
    "$f/examples/host/host_components.h" "$f/examples/host/host_components.cpp" \
    "$f/lib/cmake/Lumarin/LumarinConfig.cmake" \
    "$f/lib/cmake/Lumarin/LumarinConfigVersion.cmake" "$f/lib/cmake/Lumarin/LumarinTargets.cmake" \
    "$f/lib/cmake/Lumarin/LumarinTargets-$4.cmake"
}
expect_list "$client_tar" cleaner Lumarin.so README.md
expect_list "$client_zip" cleaner.exe Lumarin.dll README.md
# shellcheck disable=SC2046
expect_list "$sdk_linux.tar.gz" $(sdk_files "$sdk_linux" .so "" relwithdebinfo)
# shellcheck disable=SC2046
expect_list "$sdk_win.zip" $(sdk_files "$sdk_win" .dll .exe release)

# Unpacked in a fresh folder; the SDKs then moved elsewhere, as a host developer keeps them.
mkdir -p "$work/client-linux" "$work/client-win32" "$work/unpacked" "$work/else where"
tar -xzf "$dist/$client_tar" -C "$work/client-linux"
unzip -q "$dist/$client_zip" -d "$work/client-win32"
tar -xzf "$dist/$sdk_linux.tar.gz" -C "$work/unpacked"
unzip -q "$dist/$sdk_win.zip" -d "$work/unpacked"
mv "$work/unpacked/$sdk_linux" "$work/else where/sdk linux"
mv "$work/unpacked/$sdk_win" "$work/else where/sdk win32"
rmdir "$work/unpacked"
linux_sdk="$work/else where/sdk linux" win_sdk="$work/else where/sdk win32"
grep -rlF "$root" "$linux_sdk/lib" "$win_sdk/lib" && fail "the CMake package names the build tree"

# The SDK's README is for host developers (the client's is the project's); the version
# header names the package's version.
for sdk in "$linux_sdk" "$win_sdk"; do
  grep -qi cleaner "$sdk/README.md" && fail "${sdk#"$work"/}/README.md is not the SDK's own"
  IFS=. read -r major minor patch <<<"$version"
  for macro in "MAJOR $major" "MINOR $minor" "PATCH $patch" "STRING \"$version\""; do
    grep -qx "#define LUMARIN_VERSION_$macro" "$sdk/include/lumarin/version.h" ||
      fail "${sdk#"$work"/}: version.h lacks LUMARIN_VERSION_$macro"
  done
done

# Runtime needs of the Linux programs: the C and C++ runtime only (TinyXML is linked in).
for program in "$work/client-linux/cleaner" "$work/client-linux/Lumarin.so" \
               "$linux_sdk/bin/lumarin-host" "$linux_sdk/bin/Moravel2010IBeta-sim"; do
  needs=$(ldd "$program") || fail "ldd $program"
  echo "ldd ${program#"$work"/}:"$'\n'"$needs"
  grep -vE '^\s*(linux-vdso\.so\.1|(/lib64/)?ld-linux-x86-64\.so\.2|lib(c|m|stdc\+\+|gcc_s|rt|dl|pthread)\.so\.[0-9]+) ' \
    <<<"$needs" | grep . && fail "$program needs more than the C and C++ runtime"
done

# The PE files' lowest Windows version and time stamp, and DLLs of the system's only (the
# C++ runtime is linked in).
for pe in "$work/client-win32/cleaner.exe" "$work/client-win32/Lumarin.dll" \
          "$win_sdk/bin/Lumarin.dll" "$win_sdk/bin/lumarin-host.exe" \
          "$win_sdk/bin/Moravel2010IBeta-sim.exe"; do
  header=$(i686-w64-mingw32-objdump -p "$pe")
  for field in MajorOSystemVersion:6 MinorOSystemVersion:0 MajorSubsystemVersion:6 \
               MinorSubsystemVersion:0; do
    grep -qE "^${field%:*}\s+${field#*:}$" <<<"$header" ||
      fail "${pe#"$work"/}: ${field%:*} is not ${field#*:}"
  done
  grep -qE '^Time/Date\s+Thu Jan  1 00:00:00 1970$' <<<"$header" ||
    fail "${pe#"$work"/} carries a time stamp"
  awk '/DLL Name:/ {print $3}' <<<"$header" |
    grep -viE '^(kernel32|msvcrt|ole32|oleaut32|shell32|user32|advapi32)\.dll$' &&
    fail "${pe#"$work"/} needs the DLLs above, which Windows does not have"
done

# A host project against each SDK, through find_package(Lumarin) and CMAKE_PREFIX_PATH.
runs_32bit=yes
/usr/lib/wine/wine --version >/dev/null 2>&1 || runs_32bit=no
cmake -DSDK="$linux_sdk" -DWORK="$work/host-linux" -P "$root/tests/sdk/check.cmake" ||
  fail "the host project against the Linux SDK"
win_host=(-DRUN="$root/cmake/wine-run")
[ "$runs_32bit" = yes ] || win_host=(-DBUILD_ONLY=ON)
WINE_BUILD_DIR=$root/build/win32 cmake -DSDK="$win_sdk" -DWORK="$work/host-win32" \
  -DTOOLCHAIN="$root/cmake/mingw-i686.cmake" "${win_host[@]}" -P "$root/tests/sdk/check.cmake" ||
  fail "the host project against the win32 SDK"
# The SDK's example, as a newcomer builds it: every generator and build type on Linux.
for generator in Ninja "Unix Makefiles"; do
  for type in "" Debug Release; do
    folder="$work/example linux $generator ${type:-none}"
    cmake -S "$linux_sdk/examples/host" -B "$folder" -G "$generator" -DCMAKE_BUILD_TYPE="$type" \
      -DCMAKE_PREFIX_PATH="$linux_sdk" >/dev/null &&
      cmake --build "$folder" >/dev/null && "$folder/example-host" >/dev/null 2>&1 ||
      fail "the SDK's example host, $generator ${type:-no build type}"
  done
done
folder="$work/example linux clang"
cmake -S "$linux_sdk/examples/host" -B "$folder" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_PREFIX_PATH="$linux_sdk" >/dev/null && cmake --build "$folder" >/dev/null &&
  "$folder/example-host" >/dev/null 2>&1 || fail "the SDK's example host with clang"
WINE_BUILD_DIR=$root/build/win32 cmake -DSDK="$win_sdk" -DWORK="$work/example-win32" -DEXAMPLE=ON \
  -DTOOLCHAIN="$root/cmake/mingw-i686.cmake" "${win_host[@]}" -P "$root/tests/sdk/check.cmake" ||
  fail "the SDK's example host against the win32 SDK"

# The programs, as unpacked.
example='flash Lumarin_GetPetInfo 433791706897
fail'
success_page="page Lumarin_GetPetInfoCallBackSuc {petid:'433791706897'"
success_flash="flash <invoke name='Lumarin_GetPetInfoCallBackSuc'  returntype='xml'><arguments>"
failures_text="page Lumarin_GetPetInfoCallBackFail
flash <invoke name='Lumarin_GetPetInfoCallBackFail'  returntype='xml'><arguments></arguments></invoke>"
check_runs() {   # NAME COMMAND-PREFIX...: runs the SDK's lumarin-host and the client's cleaner
  local name=$1 out
  shift
  out=$("$@" sdk lumarin-host <<<"$example" 2>/dev/null | tr -d '\r') ||
    fail "$name: lumarin-host failed"
  [[ $(sed -n 1p <<<"$out") == "$success_page"* ]] || fail "$name: worked example, line 1"
  [[ $(sed -n 2p <<<"$out") == "$success_flash"* ]] || fail "$name: worked example, line 2"
  [ "$(sed -n 3,4p <<<"$out")" = "$failures_text" ] || fail "$name: worked example, lines 3-4"
  out=$("$@" client cleaner --version | tr -d '\r')
  [ "$out" = "cleaner $version" ] || fail "$name: cleaner --version said '$out'"
}
run_linux() {   # sdk|client PROGRAM ARGUMENT...
  local folder=$work/client-linux
  [ "$1" = sdk ] && folder=$linux_sdk/bin
  "$folder/$2" "${@:3}"
}
run_win32() {
  local folder=$work/client-win32
  [ "$1" = sdk ] && folder=$win_sdk/bin
  WINE_BUILD_DIR=$root/build/win32 "$root/cmake/wine-run" "$folder/$2.exe" "${@:3}"
}
check_runs linux run_linux
if [ "$runs_32bit" = yes ]; then
  check_runs win32 run_win32
else
  echo "package: this kernel runs no 32-bit programs: the win32 programs are checked as files" \
    "and the host project against the win32 SDK is built only" >&2
  for file in "$work/client-win32/cleaner.exe:PE32 executable (GUI) Intel 80386" \
              "$work/client-win32/Lumarin.dll:PE32 executable (DLL)" \
              "$win_sdk/bin/lumarin-host.exe:PE32 executable (console) Intel 80386" \
              "$win_sdk/bin/Moravel2010IBeta-sim.exe:PE32 executable (console) Intel 80386" \
              "$work/host-win32/host.exe:PE32 executable (console) Intel 80386"; do
    name=${file%%:*}
    file -b "$name" | grep -qF "${file#*:}" || fail "${name#"$work"/} is no ${file#*:}"
    [[ $name == */host.exe ]] || strings -el "$name" | grep -qx "$version" ||
      fail "${name#"$work"/} has no version $version"
  done
fi

[ "$failures" -eq 0 ] || exit 1
echo "package checked: ${archives[*]}, SHA256SUMS"
