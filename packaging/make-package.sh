#!/usr/bin/env bash
# Builds the Debian package and checks it: a Release build with Debian's hardening flags,
# packed by CPack (stripped, dependencies from dpkg-shlibdeps), then tests/packaging/
# check_package.sh. Usage: make-package.sh [BUILD_DIR] [JOBS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
jobs=${2:-2}
started=$SECONDS

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
mkdir -p "$build"
log=$build/package-build.log
echo "Building the package in $build (log: $log)"
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
         -DGAPSCOPE_PACKAGE=ON -DBUILD_TESTING=OFF -DCMAKE_STRIP="$PWD/packaging/strip-binary" \
         -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" &&
       cmake --build "$build" -j "$jobs" &&
       rm -f "$build"/gapscope_*.deb &&
       (cd "$build" && cpack -G DEB); } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "make package: the build failed; the whole log is $log" >&2
    exit 1
fi
deb=$(ls "$build"/gapscope_*.deb)
echo "Built $deb in $((SECONDS - started)) s"

bash tests/packaging/check_package.sh "$deb"
echo "Package $deb: $(du -k "$deb" | cut -f1) KiB, made and checked in $((SECONDS - started)) s"
