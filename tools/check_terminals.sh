#!/bin/sh
# Plays the same short sequence in real terminals and checks the terminal afterwards: clicks
# NEW GAME, zooms into the home system with H and into the home planet by double click, opens
# the in-game menu with F10, clicks QUIT
# GAME, then checks the exit status, that the line discipline is back (stty: icanon, echo) and
# that no part of the game's screen stays behind.
#
#   make release && tools/check_terminals.sh [tmux] [screen] [xterm]      (default: all three)
#
# tmux runs the game in a pane of its own; GNU screen runs inside such a pane with its defaults
# (altscreen off), so tmux reads what screen shows; xterm runs under Xvfb, is driven by xdotool
# and prints its screen when sent a media copy. A terminal whose program is missing is skipped.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN="$ROOT/build/release/vostrel"
WORK=$(mktemp -d /tmp/vostrel-check-XXXXXX)
SESSION="vostrel-check-$$"
FAILED=0
[ -x "$BIN" ] || { echo "build the game first: make release" >&2; exit 1; }
cp "$ROOT/assets/dialogbg.v_s" "$ROOT/run/dialogbg.v_s"

# The game, then what the terminal looks like to the shell afterwards.
cat > "$WORK/play.sh" <<EOF
#!/bin/sh
tty > '$WORK/tty'
cd '$ROOT/run' && '$BIN'
echo "exit=\$?" > '$WORK/status'
stty -a > '$WORK/stty'
echo 'shell is back'
exec sleep 600
EOF
chmod +x "$WORK/play.sh"

XVFB_PID=""
XTERM_PID=""
cleanup() {
    tmux kill-session -t "$SESSION" 2>/dev/null
    [ -n "$XTERM_PID" ] && kill "$XTERM_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# --- Driving a terminal: each kind sets SHOW (prints the screen), CLICK col row, KEY name. ---
tmux_show() { tmux capture-pane -p -t "$SESSION"; }
tmux_click() {
    tmux send-keys -t "$SESSION" -l "$(printf '\033[<0;%d;%dM\033[<0;%d;%dm' $(($1 + 1)) $(($2 + 1)) $(($1 + 1)) $(($2 + 1)))"
}
tmux_key() { tmux send-keys -t "$SESSION" "$1"; }

xterm_show() {
    rm -f "$WORK/print"
    # Media copy (ESC [ i), written to the game's terminal, makes xterm print its screen.
    printf '\033[i' > "$(cat "$WORK/tty")"
    for _ in 1 2 3 4 5 6 7 8 9 10; do [ -s "$WORK/print" ] && break; sleep 0.2; done
    sleep 0.2
    cat "$WORK/print" 2>/dev/null
}
# The window stands at the top left of the X screen (no window manager); the default font's
# cells are 6 x 13 pixels inside a 2-pixel border.
# A player's click: the pointer arrives, then the button goes down and up a little later.
xterm_click() {
    sleep 1  # a print job just run keeps xterm busy for a moment
    xdotool mousemove $((2 + $1 * 6 + 3)) $((2 + $2 * 13 + 6)) 2>/dev/null
    sleep 0.3
    xdotool mousedown 1 2>/dev/null
    sleep 0.05
    xdotool mouseup 1 2>/dev/null
}
# With no window manager the keyboard follows the pointer, which the clicks left over xterm.
xterm_key() { xdotool key "$1" 2>/dev/null; }

# Waits up to 10 s until the screen shows the text.
wait_for() {
    for _ in $(seq 50); do
        $SHOW | grep -q -- "$1" && return 0
        sleep 0.2
    done
    return 1
}
# Column and row (0-based) of the text's first cell: sets AT_X and AT_Y.
locate() {
    found=$($SHOW | awk -v t="$1" '{ i = index($0, t); if (i) { print i - 1, NR - 1; exit } }')
    [ -n "$found" ] || return 1
    # index() counts characters only in a UTF-8 awk; count the bytes of the line before it instead.
    AT_Y=${found#* }
    prefix=$($SHOW | sed -n "$((AT_Y + 1))p" | awk -v t="$1" '{ print substr($0, 1, index($0, t) - 1) }')
    AT_X=$(printf '%s' "$prefix" | LC_ALL=C.UTF-8 wc -m)
}
fail() { echo "  FAIL: $1"; FAILED=1; THIS_FAILED=1; }

play() {
    name=$1
    THIS_FAILED=0
    rm -f "$WORK/status" "$WORK/stty"
    wait_for "NEW GAME" || { fail "$name: no main menu"; return; }
    locate "NEW GAME" && $CLICK $((AT_X + 3)) "$AT_Y"
    wait_for "End Turn" || { fail "$name: NEW GAME did not start a game"; $SHOW | sed -n 15,30p >&2; return; }
    sleep 1
    # H zooms into the home system, centred on the home planet; a double click on that planet
    # zooms into it, where its build buttons stay after the button is let go.
    $KEY h
    wait_for "Zoom Out" || fail "$name: H did not zoom into the home system"
    sleep 0.5
    $CLICK 32 20
    sleep 0.1
    $CLICK 32 20
    sleep 1
    # Only a note: the home planet lies under the middle of the view unless the map's edge stops
    # the centring.
    wait_for "Add Ship" || echo "  note: $name: the double click in the middle did not reach the home planet"
    $KEY F10
    wait_for "QUIT GAME" || { fail "$name: F10 did not open the menu"; return; }
    locate "QUIT GAME" && $CLICK $((AT_X + 3)) "$AT_Y"
    for _ in $(seq 50); do [ -s "$WORK/stty" ] && break; sleep 0.2; done
    grep -q "exit=0" "$WORK/status" 2>/dev/null || fail "$name: exit status $(cat "$WORK/status" 2>/dev/null)"
    grep -q " icanon" "$WORK/stty" 2>/dev/null && grep -q " echo " "$WORK/stty" 2>/dev/null ||
        fail "$name: the line discipline was not given back"
    after=$($SHOW)
    printf '%s\n' "$after" | grep -q "shell is back" || fail "$name: the shell's line is not shown"
    printf '%s\n' "$after" | grep -q -e "End Turn" -e "Zoom Out" -e "QUIT GAME" -e "═══" &&
        fail "$name: part of the game's screen stayed"
    [ "$THIS_FAILED" = 0 ] && echo "  ok: $name"
}

check_tmux() {
    command -v tmux >/dev/null || { echo "tmux: not installed, skipped"; return; }
    echo "tmux $(tmux -V)"
    tmux new-session -d -s "$SESSION" -x 80 -y 50 "$WORK/play.sh"
    SHOW=tmux_show CLICK=tmux_click KEY=tmux_key
    play tmux
    tmux kill-session -t "$SESSION" 2>/dev/null
}

check_screen() {
    command -v screen >/dev/null && command -v tmux >/dev/null ||
        { echo "screen: not installed (or no tmux to read it), skipped"; return; }
    echo "$(screen -v | head -1), with its defaults (altscreen off), inside tmux"
    tmux new-session -d -s "$SESSION" -x 80 -y 51 "screen -q -c /dev/null $WORK/play.sh"
    SHOW=tmux_show CLICK=tmux_click KEY=tmux_key
    play screen
    tmux kill-session -t "$SESSION" 2>/dev/null
}

check_xterm() {
    command -v xterm >/dev/null && command -v Xvfb >/dev/null && command -v xdotool >/dev/null ||
        { echo "xterm: xterm, Xvfb or xdotool not installed, skipped"; return; }
    echo "xterm $(xterm -version) under Xvfb"
    # Xvfb picks a free display itself and names it, so no one else's X server is touched.
    Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$WORK/display" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
    display=":$(cat "$WORK/display")"
    DISPLAY=$display xterm -geometry 80x50 \
        -xrm "XTerm*printerCommand: cat > $WORK/print" -xrm 'XTerm*printAttributes: 0' -e "$WORK/play.sh" 2>/dev/null &
    XTERM_PID=$!
    sleep 2
    export DISPLAY=$display
    SHOW=xterm_show CLICK=xterm_click KEY=xterm_key
    play xterm
    kill "$XTERM_PID" "$XVFB_PID" 2>/dev/null
    XTERM_PID="" XVFB_PID=""
}

for t in ${@:-tmux screen xterm}; do
    "check_$t"
done
[ "$FAILED" = 0 ] && echo "all checks passed" || echo "some checks failed"
exit "$FAILED"
