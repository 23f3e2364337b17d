#!/usr/bin/env bash
# Checks what a build installs and packages: scripts/install_check.sh BUILD_DIR (already built).
# Installs into a temporary prefix and moves it, runs an example with the installed ombra from
# another folder, builds examples/embed against the installed SDK (its CMake package, and once
# more with its pkg-config file) and reads a record with it, then makes the Debian package and
# checks its contents and dependencies.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "install_check: $*" >&2
    exit 1
}

# Installed, then moved: everything must be found relative to the prefix's new place.
cmake --install "$build" --prefix "$work/staged" >/dev/null
mv "$work/staged" "$work/prefix"
prefix=$work/prefix

mkdir "$work/run"
cp "$root/examples/prices.omb" "$work/run/"
(cd "$work/run" && "$prefix/bin/ombra" prices.omb) >"$work/run/out.txt"
grep -qx "A7 comes in red" "$work/run/out.txt" || fail "the installed ombra printed: $(cat "$work/run/out.txt")"
grep -qx "Total: 25.5" "$work/run/out.txt" || fail "the installed ombra printed: $(cat "$work/run/out.txt")"

expect_record() {
    local embed=$1
    local record
    record=$(cd "$work/run" && "$embed" prices.txt A7 "SEPARATOR=';'")
    [ "$record" = "A7 13.75 red" ] || fail "$embed read '$record'"
}

cmake -S "$root/examples/embed" -B "$work/embed" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "$work/embed" >/dev/null
expect_record "$work/embed/embed"

# The library folder (lib, or lib/<multiarch> for the prefix /usr) as the build chose it.
pc_file=$(find "$prefix" -name ombra.pc)
libdir=${pc_file#"$prefix/"}
libdir=${libdir%/pkgconfig/ombra.pc}
export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
modules=$(pkg-config --variable=extensionsdir ombra)
# shellcheck disable=SC2046  # the flags are words
c++ -std=c++20 -Wall -Wextra -Werror $(pkg-config --cflags ombra) \
    -DDATA_MODULE_PATH="\"$modules/DataInOut.so\"" "$root/examples/embed/embed.cpp" \
    -o "$work/embed-pc" $(pkg-config --libs ombra) -ldl \
    -Wl,-rpath,"$(pkg-config --variable=libdir ombra)"
expect_record "$work/embed-pc"

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
package=$(ls "$work"/package/ombra_*.deb)
dpkg-deb -c "$package" | awk '{print $6}' >"$work/contents.txt"
for file in ./usr/bin/ombra "./usr/$libdir/ombra/extensions/DataInOut.so" \
            "./usr/$libdir/libhost_base.so" ./usr/include/ombra/host/environment.h \
            "./usr/$libdir/cmake/Ombra/OmbraConfig.cmake" "./usr/$libdir/pkgconfig/ombra.pc" \
            ./usr/share/man/man1/ombra.1 ./usr/share/doc/ombra/README.md; do
    grep -qxF "$file" "$work/contents.txt" || fail "the package lacks $file"
done
depends=$(dpkg-deb -f "$package" Depends)
for library in libc6 libstdc++6 libicu libedit; do
    [[ "$depends" == *"$library"* ]] || fail "the package does not depend on $library: $depends"
done
echo "install_check: installed, relocated, embedded and packaged ($(basename "$package"))"
