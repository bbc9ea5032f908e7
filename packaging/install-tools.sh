#!/usr/bin/env bash
# Installs the Debian packages that building and checking the .deb need, beyond the build's
# own (scripts/install-deps.sh). Skips what is present; without root it prints the command.
set -euo pipefail

packages=(
  dpkg-dev file binutils xz-utils   # cpack's DEB generator: dpkg-shlibdeps, strip
  scdoc librsvg2-bin                # manual pages, icon pictures
  lintian desktop-file-utils systemd man-db   # the checks
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root:  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
