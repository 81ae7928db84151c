#!/usr/bin/env bash
# Installs what building and testing Dravik needs on Debian, if missing.
set -euo pipefail
packages=(build-essential cmake ninja-build ccache pkg-config
          qt6-base-dev qt6-svg-dev libgl1-mesa-dev libgtest-dev libgmock-dev
          ckermit lrzsz clang libclang-rt-14-dev xvfb xauth
          dpkg-dev file desktop-file-utils appstream groff-base)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
