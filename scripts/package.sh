#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of QUIRVEL in build-package/ (Release, prefix /usr) with CPack, then
# checks it: desktop-file-validate and appstreamcli on the unpacked package, lintian on the .deb.
# Fails when a validator fails or lintian reports an error. Extra arguments go to the configure
# step. Installs what it needs from Debian's packages when missing (root, or sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-package"

packages=(
    g++ cmake make pkg-config qt6-base-dev libjpeg62-turbo-dev libarchive-dev
    dpkg-dev file lintian desktop-file-utils appstream fp-utils
)
bash "$root/scripts/install-missing.sh" "${packages[@]}"

# Debian's own compiler and linker flags (hardening included), as a package built by
# dpkg-buildpackage would get them (its file-prefix map is taken from the current folder).
# The "package" preset of CMakePresets.json takes them from these two variables.
cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
QUIRVEL_DEB_CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
QUIRVEL_DEB_LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export QUIRVEL_DEB_CXXFLAGS QUIRVEL_DEB_LDFLAGS

cmake --preset package "$@" >/dev/null
# Only the program goes into the package; the tests and benchmarks are not built.
cmake --build --preset package -j"$(nproc)"
rm -f "$build"/quirvel_*.deb
(cd "$build" && cpack -G DEB -C Release)
debs=("$build"/quirvel_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || { echo "package.sh: CPack made no .deb" >&2; exit 1; }

echo
echo "== $(basename "$deb")"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb"

# The validators look at the files exactly as the package ships them.
tree="$build/deb-root"
rm -rf "$tree"
dpkg-deb --extract "$deb" "$tree"

failed=()
check() {
    local name=$1
    shift
    echo
    echo "== $name"
    if "$@"; then echo "($name: passed)"; else failed+=("$name"); fi
}
for desktop in "$tree"/usr/share/applications/*.desktop; do
    check "desktop-file-validate $(basename "$desktop")" desktop-file-validate "$desktop"
done
for metainfo in "$tree"/usr/share/metainfo/*.metainfo.xml; do
    check "appstreamcli validate $(basename "$metainfo")" appstreamcli validate --no-net --pedantic "$metainfo"
done
check "appstreamcli validate-tree" appstreamcli validate-tree --no-net --pedantic "$tree"

# lintian's exit status covers errors only; warnings are printed but do not fail.
check "lintian" lintian --info --display-info --pedantic --fail-on error "$deb"

echo
if [ ${#failed[@]} -gt 0 ]; then
    echo "package.sh: FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "package.sh: $deb built and checked"
