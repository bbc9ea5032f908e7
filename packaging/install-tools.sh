#!/usr/bin/env bash
# Installs the Debian packages that building and checking the .deb need, beyond the build's
# own.
set -euo pipefail
cd "$(dirname "$0")/.."
exec bash scripts/install-deps.sh \
  dpkg-dev file binutils xz-utils `# cpack's DEB generator: dpkg-shlibdeps, strip` \
  scdoc librsvg2-bin `# manual pages, icon pictures` \
  lintian desktop-file-utils systemd man-db `# the checks`
