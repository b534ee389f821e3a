#!/usr/bin/env bash
# Builds the release files of both Windows architectures into build/release/:
#   KeloTessaly-<version>-<arch>.msi           the installer (wixl)
#   KeloTessaly-<version>-<arch>-portable.zip  the same tree, to run from any folder
# The version is project()'s in CMakeLists.txt, read from the build's generated header.
#
#   scripts/package.sh [--no-build] [--out DIR] [--version A.B.C.D]
# --no-build packages the build trees as they are; --version stamps another installer version
# over the same files (the release test makes its upgrade package with it).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build=1
out="$KELO_ROOT/build/release"
version=""
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0; shift ;;
    --out) out=$2; shift 2 ;;
    --version) version=$2; shift 2 ;;
    *) echo "usage: scripts/package.sh [--no-build] [--out DIR] [--version A.B.C.D]" >&2; exit 2 ;;
  esac
done

if [ "$build" -eq 1 ]; then
  kelo_setup
  kelo_build --both
fi
command -v wixl >/dev/null || { echo "wixl is missing: apt-get install wixl" >&2; exit 1; }
command -v msibuild >/dev/null || { echo "msibuild is missing: apt-get install msitools" >&2; exit 1; }
command -v zip >/dev/null || { echo "zip is missing: apt-get install zip" >&2; exit 1; }

# The release tree of ARCH in STAGE/NAME: the programs from the build, the shipped data from
# the sources (tests may have changed the copy beside the build's executable).
kelo_stage() {
  local arch=$1 tree=$2 dist="$KELO_ROOT/build/win-$1/dist" file
  mkdir -p "$tree"
  for file in KeloTessaly.exe kelotsy.exe KeloDiagnosticCore.dll KeloDiagnosticCore.X.manifest kelodev12.dll; do
    if [ ! -f "$dist/$file" ]; then
      echo "$dist/$file is missing: build the $arch product first (scripts/package.sh without --no-build)" >&2
      return 1
    fi
    cp "$dist/$file" "$tree/"
  done
  cp -r "$KELO_ROOT/data/strings" "$KELO_ROOT/data/config" "$tree/"
  # The build's debug information is most of each file's size and no use on a user's PC.
  local strip=x86_64-w64-mingw32-strip
  [ "$arch" = x86 ] && strip=i686-w64-mingw32-strip
  "$strip" --strip-debug "$tree"/*.exe "$tree"/*.dll
}

# The components of the strings and of the configuration files no one edits (the installer
# source lists the two a help desk may change itself), one fragment each.
kelo_heat_fragments() {
  local tree=$1 fragments=$2
  find "$tree/strings" -type f | sort |
    wixl-heat --var var.Strings --directory-ref StringsFolder --component-group StringFiles -p "$tree/strings/" --win64 \
    >"$fragments-strings.wxs"
  find "$tree/config" -type f ! -name search.ini ! -name support_links.xml | sort |
    wixl-heat --var var.Config --directory-ref ConfigFolder --component-group FixedConfigFiles -p "$tree/config/" --win64 \
    >"$fragments-config.wxs"
}

# What wixl cannot write: the configuration components never overwrite a file already there
# (a help desk's preset or change; 128, plus 256 for a 64-bit component); the old version is
# removed after the new one is installed, so those shared components keep their files; the
# Kelo folder goes on uninstall.
kelo_finish_msi() {
  local msi=$1 attributes=128
  [ "$2" = x64 ] && attributes=384
  msibuild "$msi" -q "UPDATE Component SET Attributes = $attributes WHERE Component = 'SearchSettings' OR Component = 'SupportLinkSettings'"
  msibuild "$msi" -q "UPDATE InstallExecuteSequence SET Sequence = 6601 WHERE Action = 'RemoveExistingProducts'"
  msibuild "$msi" -q "UPDATE RemoveFile SET DirProperty = 'KeloFolder' WHERE FileKey = 'RemoveKeloFolder'"
}

mkdir -p "$out"
stage=$(mktemp -d "$KELO_ROOT/build/package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
for arch in x86 x64; do
  header="$KELO_ROOT/build/win-$arch/generated/KeloVersion.h"
  built=$(sed -n 's/^#define KELO_VERSION_TEXT "\(.*\)"$/\1/p' "$header" 2>/dev/null || true)
  if [ -z "$built" ]; then
    echo "$header is missing: build the $arch product first" >&2
    exit 1
  fi
  release=${version:-$built}
  name="KeloTessaly-$release-$arch"
  tree="$stage/$name"
  kelo_stage "$arch" "$tree"
  kelo_heat_fragments "$tree" "$stage/$arch"
  win64=no
  [ "$arch" = x64 ] && win64=yes
  # wixl finds sources by paths relative to where it runs.
  cp "$KELO_ROOT/res/images/app.ico" "$stage/"
  (cd "$stage" && wixl -a "$arch" -D Version="$release" -D Arch="$arch" -D Win64="$win64" -D Dist="$name" \
     -D Strings="$name/strings" -D Config="$name/config" -D Images=. \
     -o "$out/$name.msi" "$KELO_ROOT/res/KeloTessaly.wxs" "$arch-strings.wxs" "$arch-config.wxs")
  kelo_finish_msi "$out/$name.msi" "$arch"
  rm -f "$out/$name-portable.zip"
  (cd "$stage" && zip -q -r -X "$out/$name-portable.zip" "$name")
  echo "$out/$name.msi ($(stat -c %s "$out/$name.msi") bytes)"
  echo "$out/$name-portable.zip ($(stat -c %s "$out/$name-portable.zip") bytes)"
done
