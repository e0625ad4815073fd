#!/bin/sh
# make TARGET on a machine that may not have make yet: a fresh Debian or Ubuntu desktop has
# none. The Makefile installs everything else it needs itself; the tools it uses before that
# (dpkg-query, id, nproc, grep, sh) belong to Debian's essential packages, always there.
# Usage: with-make.sh TARGET [ARGUMENT...]; the arguments go on to make.
set -eu
cd "$(dirname "$0")/.."
target=$1
shift

if ! command -v make >/dev/null 2>&1; then
  if ! command -v apt-get >/dev/null 2>&1; then
    echo "make is not installed, and this is not a Debian or Ubuntu machine (no apt-get): install make, then run make $target" >&2
    exit 1
  fi
  if [ "$(id -u)" -eq 0 ]; then
    sudo=""
  elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
  else
    echo "make is not installed, and sudo is not there to install it: as root, run apt-get install make sudo" >&2
    exit 1
  fi
  echo "Installing make"
  # sudo drops the caller's environment, so the front end is set behind it.
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends make
fi
exec make "$target" "$@"
