#!/bin/sh
# Measures what the game costs when the player does nothing, and its memory over a long game:
# runs the optimised binary in an 80x50 tmux pane, reads the process's CPU time from
# /proc/<pid>/schedstat while it idles on the animated main menu and on the game screen, then
# ends TURNS turns with the End Turn button and reads the peak resident memory (VmHWM).
#
#   make release && tools/measure_idle.sh [SECONDS] [TURNS]      (defaults 20 and 1000)
#
# Goals: under 2% of a core on the menu, under 0.3% on the game screen, and a peak under 16 MB
# after 1000 turns.
set -eu
SECONDS_IDLE=${1:-20}
TURNS=${2:-1000}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN="$ROOT/build/release/vostrel"
SESSION="vostrel-measure-$$"
[ -x "$BIN" ] || { echo "build the game first: make release" >&2; exit 1; }
command -v tmux >/dev/null || { echo "tmux is needed" >&2; exit 1; }
cp "$ROOT/assets/dialogbg.v_s" "$ROOT/run/dialogbg.v_s"

cleanup() { tmux kill-session -t "$SESSION" 2>/dev/null || true; }
trap cleanup EXIT
tmux new-session -d -s "$SESSION" -x 80 -y 50 "cd '$ROOT/run' && exec '$BIN'"
sleep 2
PID=$(tmux list-panes -t "$SESSION" -F '#{pane_pid}')

# A left click at a 1-based cell, as an SGR mouse report.
click() { tmux send-keys -t "$SESSION" -l "$(printf '\033[<0;%d;%dM\033[<0;%d;%dm' "$1" "$2" "$1" "$2")"; }
cpu_ns() { awk '{print $1}' "/proc/$PID/schedstat"; }
# Percent of one core over SECONDS_IDLE seconds, to two decimals.
idle_cost() {
    a=$(cpu_ns); sleep "$SECONDS_IDLE"; b=$(cpu_ns)
    awk -v a="$a" -v b="$b" -v s="$SECONDS_IDLE" 'BEGIN { printf "%.2f%% of a core", (b - a) / (s * 1e7) }'
}

echo "main menu idle:   $(idle_cost)"
click 42 21  # NEW GAME
sleep 2
tmux send-keys -t "$SESSION" x  # any key skips the intro story
sleep 2
echo "game screen idle: $(idle_cost)"
i=0
while [ "$i" -lt "$TURNS" ]; do
    click 57 48  # End Turn
    sleep 0.05
    i=$((i + 1))
done
sleep 2
echo "after $TURNS turns: $(grep VmHWM "/proc/$PID/status" | awk '{printf "peak %.1f MB", $2 / 1024}'), $(tmux capture-pane -p -t "$SESSION" | grep -c 'End of turn') 'End of turn' lines in view"
