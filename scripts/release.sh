#!/usr/bin/env bash
# Makes every release asset into build/dist/, with one SHA256SUMS: a .tar.gz
# and a .deb for x86-64, aarch64 and 32-bit ARM Linux (ARMv6 and later; its
# package is for armhf systems), a .zip for 32- and 64-bit Windows.
# Each build is configured afresh and its whole test suite run (natively,
# under qemu-aarch64, under qemu-arm as an ARMv6 processor, under Wine); the
# assets hold the tested programs, stripped. ORVEX_RELEASE_TESTS=0 skips the
# tests (to check that a second build gives the same bytes). Times are
# SOURCE_DATE_EPOCH (else the commit's date), owners root, modes explicit and
# names sorted, so that every asset is the same bytes wherever, whenever and
# under whatever umask it is made.
set -euo pipefail
cd "$(dirname "$0")/.."
tests=yes
[ "${ORVEX_RELEASE_TESTS:-1}" != 0 ] || tests=no

# What the release needs, each with the Debian package that brings it.
needs="git:git cmake:cmake ninja:ninja-build g++:g++ aarch64-linux-gnu-g++:g++-aarch64-linux-gnu
  arm-linux-gnueabi-g++:g++-arm-linux-gnueabi
  i686-w64-mingw32-g++-win32:g++-mingw-w64-i686-win32 zip:zip dpkg-deb:dpkg
  x86_64-w64-mingw32-g++-win32:g++-mingw-w64-x86-64-win32
  i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix
  x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix"
[ $tests = no ] || needs+=" /usr/include/gtest:libgtest-dev /usr/src/googletest:googletest
  qemu-aarch64:qemu-user qemu-arm:qemu-user /usr/lib/wine/wine64:wine64"
missing=""
for need in $needs; do
  command -v "${need%%:*}" >/dev/null || [ -e "${need%%:*}" ] || missing+=" ${need#*:}"
done
if [ -n "$missing" ]; then
  echo "release.sh: missing tools; install them with: apt-get install -y$missing" >&2
  exit 1
fi

if [ "$(dpkg --print-architecture)" != amd64 ]; then
  echo "release.sh: the release is built on x86-64 (amd64) Debian" >&2
  exit 1
fi
# The assets are of a commit: its date is their time.
git() { command git -c safe.directory="$PWD" "$@"; }
if ! status=$(git status --porcelain) || [ -n "$status" ]; then
  echo "release.sh: the tree is not a clean git checkout; commit first" >&2
  exit 1
fi
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH

# build PRESET yes|some|no: configures afresh and builds; with yes,
# everything, and runs every test; with some, the tests that need no
# emulator; with no, no tests (the program, and the demo's sample).
build() {
  if [ "$2" = no ]; then
    cmake --preset "$1" --fresh -DORVEX_BUILD_TESTS=OFF
    cmake --build --preset "$1"
  else
    cmake --preset "$1" --fresh -DORVEX_REQUIRE_TESTS="$([ "$2" = yes ] && echo ON || echo OFF)"
    cmake --build --preset "$1"
    ctest --preset "$1"
  fi
}
build release $tests
build linux-arm64 $tests
build linux-armv6 $tests
build windows-x64 $tests
if [ $tests = yes ] && [ ! -e /usr/lib/wine/wine ]; then
  echo "WARNING: no 32-bit Wine (apt-get install wine32:i386):" \
    "the 32-bit Windows tests did not run" >&2
  build windows-x86 some
else
  build windows-x86 $tests
fi

version=$(cat build/release/version)
dist=$PWD/build/dist
stage=$PWD/build/dist-staging
rm -rf "$dist" "$stage"
mkdir -p "$dist" "$stage"

# put MODE SOURCE DESTINATION: stages a file with a fixed mode.
put() { install -D -m "$1" "$2" "$3"; }
# settle DIRECTORY: fixed times for everything in it, and directories 755.
settle() {
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  find "$1" -type d -exec chmod 755 {} +
}

# The ARMv6 program is armel code (software floating point, which orvex never
# needs) and static, so it runs on armhf systems too: Raspberry Pi OS 32-bit
# installs armhf packages.
for target in release:x86_64:amd64:strip linux-arm64:aarch64:arm64:aarch64-linux-gnu-strip \
  linux-armv6:armv6:armhf:arm-linux-gnueabi-strip; do
  IFS=: read -r preset machine architecture strip <<<"$target"
  # The tarball: one folder with the program, its manual page, README.md and LICENSE.
  name=orvex-$version-linux-$machine
  mkdir "$stage/$name"
  "$strip" -o "$stage/$name/orvex" "build/$preset/src/orvex"
  put 644 "build/$preset/orvex.1" "$stage/$name/orvex.1"
  put 644 README.md "$stage/$name/README.md"
  put 644 LICENSE "$stage/$name/LICENSE"
  chmod 755 "$stage/$name/orvex"
  settle "$stage/$name"
  tar --create --sort=name --owner=0 --group=0 --numeric-owner --format=gnu \
    --mtime="@$SOURCE_DATE_EPOCH" --directory "$stage" "$name" | gzip -9n >"$dist/$name.tar.gz"

  # The Debian package: the same program and manual page, the copyright and
  # changelog, and the override of lintian's tag for static programs.
  root=$stage/deb-$architecture
  put 755 "$stage/$name/orvex" "$root/usr/bin/orvex"
  install -d "$root/usr/share/man/man1" "$root/usr/share/doc/orvex" "$root/DEBIAN"
  gzip -9n <"build/$preset/orvex.1" >"$root/usr/share/man/man1/orvex.1.gz"
  gzip -9n <cmake/debian/changelog >"$root/usr/share/doc/orvex/changelog.gz"
  chmod 644 "$root"/usr/share/*/*/*.gz
  put 644 cmake/debian/copyright "$root/usr/share/doc/orvex/copyright"
  put 644 cmake/debian/lintian-overrides "$root/usr/share/lintian/overrides/orvex"
  (cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$root/DEBIAN/md5sums"
  size=$(find "$root/usr" -type f -printf '%s\n' | awk '{ k += int(($1 + 1023) / 1024) } END { print k }')
  sed -e "s/@VERSION@/$version/" -e "s/@ARCHITECTURE@/$architecture/" -e "s/@SIZE@/$size/" \
    cmake/debian/control.in >"$root/DEBIAN/control"
  chmod 644 "$root/DEBIAN/md5sums" "$root/DEBIAN/control"
  settle "$root"
  dpkg-deb --root-owner-group --threads-max=1 --build "$root" "$dist/orvex_${version}_$architecture.deb"
done

# The zips: one folder with orvex.exe, README.txt and LICENSE.txt.
for target in windows-x86:win32:i686 windows-x64:win64:x86_64; do
  IFS=: read -r preset system triplet <<<"$target"
  name=orvex-$version-$system
  mkdir "$stage/$name"
  "$triplet-w64-mingw32-strip" -o "$stage/$name/orvex.exe" "build/$preset/src/orvex.exe"
  chmod 755 "$stage/$name/orvex.exe"
  put 644 "build/$preset/README.txt" "$stage/$name/README.txt"
  put 644 "build/$preset/LICENSE.txt" "$stage/$name/LICENSE.txt"
  settle "$stage/$name"
  (cd "$stage" && find "$name" | LC_ALL=C sort | TZ=UTC0 zip -X -9 -q "$dist/$name.zip" -@)
done

(cd "$dist" && sha256sum -- *.tar.gz *.deb *.zip >SHA256SUMS && cat SHA256SUMS)
rm -rf "$stage"
