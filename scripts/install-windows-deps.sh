#!/usr/bin/env bash
# Installs what the Windows build and its tests need: the MinGW-w64 cross compiler (its
# POSIX thread model, which the busy-log wait and the tests' pipe readers need), Wine to
# run the programs and the fonts its window tests draw with (Wine's own, and a fallback
# with CJK letters), the pictures' font that the programs carry (DejaVu Sans), GoogleTest's
# sources to build the test framework with that compiler, and the header-only libraries.
# With `package`: what the installer is made and checked with instead (wixl and msitools,
# xmllint, strings).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = package ]; then
  exec bash scripts/install-deps.sh wixl msitools libxml2-utils binutils
fi
exec bash scripts/install-deps.sh cmake make \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 fonts-wine fonts-droid-fallback \
  fonts-dejavu-core \
  googletest libcli11-dev nlohmann-json3-dev
