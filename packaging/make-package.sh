#!/usr/bin/env bash
# Builds the two Debian packages and checks them: a Release build with Debian's hardening
# flags, packed by CPack (stripped, dependencies from dpkg-shlibdeps) into gapscope-report
# (the command) and gapscope (the window), then tests/packaging/check_package.sh, which also
# upgrades from the single gapscope package that came before them.
# Usage: make-package.sh [BUILD_DIR] [JOBS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
jobs=${2:-2}
started=$SECONDS
# The last single package, 3.1.23.1366, made by `make package` from commit 95c31fc (the
# last before the split) and kept here, so that the upgrade is checked without building
# that commit again.
old=tests/packaging/data/gapscope_3.1.23.1366_amd64.deb

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
mkdir -p "$build"
log=$build/package-build.log
echo "Building the packages in $build (log: $log)"
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
         -DGAPSCOPE_PACKAGE=ON -DBUILD_TESTING=OFF -DCMAKE_STRIP="$PWD/packaging/strip-binary" \
         -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" &&
       cmake --build "$build" -j "$jobs" &&
       rm -f "$build"/*.deb &&
       (cd "$build" && cpack -G DEB); } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "make package: the build failed; the whole log is $log" >&2
    exit 1
fi
report=$(ls "$build"/gapscope-report_*.deb)
window=$(ls "$build"/gapscope_*.deb)
echo "Built $report and $window in $((SECONDS - started)) s"

bash tests/packaging/check_package.sh "$report" "$window" "$old"
for deb in "$report" "$window"; do
    echo "Package $deb: $(du -k "$deb" | cut -f1) KiB, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
done
echo "Made and checked in $((SECONDS - started)) s"
