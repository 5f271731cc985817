#!/usr/bin/env bash
# Checks that the Debian packages a command needs are installed, and installs what is missing.
# Usage: tools/deps.sh GROUP...   (groups as in tools/packages.txt: build, test, bench, fuzz)
# Run as root, it installs the missing packages with apt-get, without questions. Otherwise it
# stops with status 1 and one line that names them and the command that installs them. With
# every package present it says nothing. The Makefile's targets and .ci/run call it.
# The tests replace the package query, apt-get and the user id through VOSTREL_DPKG_QUERY,
# VOSTREL_APT_GET and VOSTREL_UID.
set -euo pipefail

list="$(dirname "$0")/packages.txt"
query=${VOSTREL_DPKG_QUERY:-dpkg-query}
apt=${VOSTREL_APT_GET:-apt-get}
uid=${VOSTREL_UID:-$(id -u)}

if [ $# -eq 0 ]; then
  echo "usage: $0 GROUP... (groups: $(awk '!/^#/ && NF {print $1}' "$list" | sort -u | tr '\n' ' '))" >&2
  exit 2
fi

wanted=()
for group in "$@"; do
  found=$(awk -v g="$group" '!/^#/ && $1 == g {print $2}' "$list")
  if [ -z "$found" ]; then
    echo "$0: no package group '$group' in $list" >&2
    exit 2
  fi
  wanted+=($found)
done

# Outside Debian there is nothing to ask: the build itself says what it lacks.
if ! command -v "$query" >/dev/null 2>&1; then
  exit 0
fi

missing=()
for pkg in "${wanted[@]}"; do
  "$query" -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$uid" != 0 ]; then
  echo "Missing Debian packages: ${missing[*]}; install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"$apt" update -q
"$apt" install -y -q --no-install-recommends "${missing[@]}"
