#!/usr/bin/env bash
# tools/deps.sh decides on a faked package query: what is missing, what it runs as root, and the
# one line it stops with otherwise. Registered with CTest; exits non-zero on the first mismatch.
set -uo pipefail
deps="$(dirname "$0")/../tools/deps.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The fake query answers as dpkg-query does, from the space-separated list in FAKE_MISSING.
cat > "$scratch/query" <<'FAKE'
#!/usr/bin/env bash
pkg=${!#}
case " $FAKE_MISSING " in
  *" $pkg "*) echo "dpkg-query: no packages found matching $pkg" >&2; exit 1 ;;
esac
printf 'install ok installed'
FAKE
cat > "$scratch/apt" <<'FAKE'
#!/usr/bin/env bash
echo "$DEBIAN_FRONTEND $*" >> "$APT_LOG"
FAKE
chmod +x "$scratch/query" "$scratch/apt"
export VOSTREL_DPKG_QUERY="$scratch/query" VOSTREL_APT_GET="$scratch/apt" APT_LOG="$scratch/apt.log"

failures=0
# check NAME UID MISSING GROUPS EXPECTED_STATUS EXPECTED_OUTPUT EXPECTED_APT_LOG
check() {
  rm -f "$APT_LOG"; touch "$APT_LOG"
  local out status
  out=$(FAKE_MISSING="$3" VOSTREL_UID="$2" "$deps" $4 2>&1); status=$?
  if [ "$status" != "$5" ] || [ "$out" != "$6" ] || [ "$(cat "$APT_LOG")" != "$7" ]; then
    echo "FAIL $1: status $status, output '$out', apt-get '$(cat "$APT_LOG")'"
    failures=$((failures + 1))
  fi
}

check "nothing missing" 0 "" "build test" 0 "" ""
check "another group's package is not asked for" 1000 "clang libvterm-dev" "build" 0 "" ""
check "a user is told the packages and the command" 1000 "tmux cmake" "build test" 1 \
  "Missing Debian packages: cmake tmux; install them with: sudo apt-get install cmake tmux" ""
check "root installs what is missing, without questions" 0 "libvterm-dev clang" "test fuzz" 0 \
  "Installing: libvterm-dev clang" \
  "noninteractive update -q
noninteractive install -y -q --no-install-recommends libvterm-dev clang"
check "an unknown group is refused" 0 "" "build nosuchgroup" 2 \
  "$deps: no package group 'nosuchgroup' in $(dirname "$deps")/packages.txt" ""
exit $((failures > 0))
