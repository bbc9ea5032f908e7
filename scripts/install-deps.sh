#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the example station need, or the
# packages named as arguments (the further stages name theirs). Skips what is present;
# without root it prints the one command to run instead.
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(
  cmake make g++ pkg-config
  qt6-base-dev libgl-dev fonts-dejavu-core  `# the pictures' font`
  libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  clang libclang-rt-14-dev
  time strace
  nlohmann-json3-dev python3-jsonschema
  prometheus prometheus-node-exporter
  nagios4-core nagios-nrpe-server nagios-nrpe-plugin icinga2-bin
)

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root:  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# Another install in progress (an unattended upgrade, a second build) holds the package
# manager's lock: wait for it rather than fail.
lock=(-o DPkg::Lock::Timeout=600)
apt-get "${lock[@]}" update -qq
apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
