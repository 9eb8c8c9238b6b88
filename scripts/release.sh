#!/usr/bin/env bash
# Makes every release asset into build/dist/, beside one SHA256SUMS:
#
#   orvex-VERSION-linux-x86_64.tar.gz   orvex_VERSION_amd64.deb
#   orvex-VERSION-linux-aarch64.tar.gz  orvex_VERSION_arm64.deb
#   orvex-VERSION-win32.zip             orvex-VERSION-win64.zip
#
# Each build is configured afresh, built, and its whole test suite run
# (natively, under qemu-aarch64, under Wine); the assets hold the tested
# programs, stripped. Without 32-bit Wine the 32-bit Windows program is built
# and packed untested, with a warning. ORVEX_RELEASE_TESTS=0 builds and packs
# without building or running any test, to check that a second build gives
# the same bytes. Every asset is the same bytes wherever, whenever and with
# whatever umask it is made: times are SOURCE_DATE_EPOCH (the environment's,
# else the commit's date), owners root, modes set explicitly, names sorted.
set -euo pipefail
cd "$(dirname "$0")/.."
run_tests=${ORVEX_RELEASE_TESTS:-1}

# Each tool the release needs, and the Debian package that brings it.
missing=""
need() {
  command -v "$1" >/dev/null || [ -e "$1" ] || missing+=" $2"
}
need cmake cmake
need ninja ninja-build
need g++ g++
need aarch64-linux-gnu-g++ g++-aarch64-linux-gnu
need i686-w64-mingw32-g++-posix g++-mingw-w64-i686-posix
need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
need zip zip
need gzip gzip
need dpkg-deb dpkg
if [ "$run_tests" != 0 ]; then
  need /usr/include/gtest/gtest.h libgtest-dev
  need /usr/src/googletest googletest
  need qemu-aarch64 qemu-user
  need /usr/lib/wine/wine64 wine64
fi
if [ -n "$missing" ]; then
  echo "release.sh: missing tools; install them with: apt-get install -y$missing" >&2
  exit 1
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -c safe.directory="$PWD" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
if [ -n "$(git -c safe.directory="$PWD" status --porcelain 2>/dev/null)" ]; then
  echo "release.sh: WARNING: the tree differs from its commit" >&2
fi

# build PRESET TESTS: configures afresh and builds; with TESTS=yes builds and
# runs the whole test suite too, else builds the program alone.
build() {
  if [ "$2" = yes ]; then
    cmake --preset "$1" --fresh -DORVEX_REQUIRE_TESTS=ON
    cmake --build --preset "$1"
    ctest --preset "$1"
  else
    cmake --preset "$1" --fresh -DORVEX_BUILD_TESTS=OFF
    cmake --build --preset "$1" --target orvex
  fi
}
tests=yes
[ "$run_tests" != 0 ] || tests=no
build release $tests
build linux-arm64 $tests
build windows-x64 $tests
if [ $tests = yes ] && [ ! -e /usr/lib/wine/wine ]; then
  echo "WARNING: no 32-bit Wine (apt-get install wine32:i386):" \
    "the 32-bit Windows tests did not run" >&2
  build windows-x86 no
else
  build windows-x86 $tests
fi

version=$(cat build/release/version)
dist=build/dist
stage=build/dist-staging
rm -rf "$dist" "$stage"
mkdir -p "$dist" "$stage"
dist=$(cd "$dist" && pwd)

# put MODE SOURCE DESTINATION: a staged file with a fixed mode and time.
put() {
  install -D -m "$1" "$2" "$3"
}
# strip_into STRIP BUILD FILE DESTINATION: the tested program, stripped.
strip_into() {
  install -d "$(dirname "$4")"
  "$1" -o "$4" "build/$2/src/$3"
  chmod 755 "$4"
}
# settle DIRECTORY: fixed times for everything under it, directories 755.
settle() {
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  find "$1" -type d -exec chmod 755 {} +
}

# The Linux tarballs: one folder with the program, its manual page, README.md
# and LICENSE.
for target in release:x86_64:strip linux-arm64:aarch64:aarch64-linux-gnu-strip; do
  IFS=: read -r preset machine strip <<<"$target"
  name=orvex-$version-linux-$machine
  strip_into "$strip" "$preset" orvex "$stage/$name/orvex"
  put 644 "build/$preset/orvex.1" "$stage/$name/orvex.1"
  put 644 README.md "$stage/$name/README.md"
  put 644 LICENSE "$stage/$name/LICENSE"
  settle "$stage/$name"
  tar --create --sort=name --owner=0 --group=0 --numeric-owner --format=gnu \
    --mtime="@$SOURCE_DATE_EPOCH" --directory "$stage" "$name" | gzip -9n >"$dist/$name.tar.gz"
done

# The Debian packages: /usr/bin/orvex, the manual page, the copyright and
# changelog, and the override for lintian's tag on static programs.
for target in release:amd64:strip linux-arm64:arm64:aarch64-linux-gnu-strip; do
  IFS=: read -r preset architecture strip <<<"$target"
  root=$stage/deb-$architecture
  strip_into "$strip" "$preset" orvex "$root/usr/bin/orvex"
  install -d "$root/usr/share/man/man1" "$root/usr/share/doc/orvex" "$root/DEBIAN"
  gzip -9n <"build/$preset/orvex.1" >"$root/usr/share/man/man1/orvex.1.gz"
  gzip -9n <cmake/debian/changelog >"$root/usr/share/doc/orvex/changelog.gz"
  chmod 644 "$root/usr/share/man/man1/orvex.1.gz" "$root/usr/share/doc/orvex/changelog.gz"
  put 644 cmake/debian/copyright "$root/usr/share/doc/orvex/copyright"
  put 644 cmake/debian/lintian-overrides "$root/usr/share/lintian/overrides/orvex"
  (cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$root/DEBIAN/md5sums"
  size=$(find "$root/usr" -type f -printf '%s\n' | awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
  sed -e "s/@VERSION@/$version/" -e "s/@ARCHITECTURE@/$architecture/" -e "s/@SIZE@/$size/" \
    cmake/debian/control.in >"$root/DEBIAN/control"
  chmod 644 "$root/DEBIAN/md5sums" "$root/DEBIAN/control"
  settle "$root"
  dpkg-deb --root-owner-group --build "$root" "$dist/orvex_${version}_$architecture.deb"
done

# The Windows zips: one folder with orvex.exe, README.txt and LICENSE.txt.
for target in windows-x86:win32:i686 windows-x64:win64:x86_64; do
  IFS=: read -r preset system triplet <<<"$target"
  name=orvex-$version-$system
  strip_into "$triplet-w64-mingw32-strip" "$preset" orvex.exe "$stage/$name/orvex.exe"
  put 644 "build/$preset/README.txt" "$stage/$name/README.txt"
  put 644 "build/$preset/LICENSE.txt" "$stage/$name/LICENSE.txt"
  settle "$stage/$name"
  (cd "$stage" && find "$name" | LC_ALL=C sort | TZ=UTC0 zip -X -9 -q "$dist/$name.zip" -@)
done

(cd "$dist" && sha256sum -- *.tar.gz *.deb *.zip >SHA256SUMS && cat SHA256SUMS)
rm -rf "$stage"
