#!/usr/bin/env bash
# Installs what building and testing need, when it is missing. Safe to run again.
set -euo pipefail

packages=(cmake make g++ clang libgtest-dev libgmock-dev libbenchmark-dev libicu-dev
          libsqlite3-dev binutils libedit-dev pkg-config dpkg-dev file ccache)
missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
