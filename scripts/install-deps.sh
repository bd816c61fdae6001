#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, and only
# those that are missing (apt-get update runs only when something is). The
# tests run against a PostgreSQL server of their own too (postgresql-15; only
# its programs are used, the system's own cluster is never started for them).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev libpq-dev libpugixml-dev libxml2-dev libxslt1-dev
  libfmt-dev libcli11-dev nlohmann-json3-dev libgtest-dev libbenchmark-dev
  postgresql-15
)
# The benchmarks time the sqlite3 shell and plot with gnuplot.
if [ "${QUILLON_WITH_BENCH:-0}" = "1" ]; then
  packages+=(sqlite3 gnuplot-nox)
fi
# The Debian packages and their check.
if [ "${QUILLON_WITH_PACKAGE:-0}" = "1" ]; then
  packages+=(dpkg-dev man-db)
fi
# The API reference.
if [ "${QUILLON_WITH_DOCS:-0}" = "1" ]; then
  packages+=(doxygen)
fi
# The sanitized build and the fuzz targets are made with clang and libFuzzer.
if [ "${QUILLON_WITH_FUZZ:-0}" = "1" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
# The HTML view is checked in a real browser when one is there; only the demo
# (and CI, which asks for it) installs one.
if [ "${QUILLON_WITH_BROWSER:-0}" = "1" ]; then
  packages+=(chromium fonts-wqy-microhei)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
