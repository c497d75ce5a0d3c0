#!/usr/bin/env bash
# The outer geometry of the windows on a real X server, measured with the
# server's own tools rather than Qt's: the main window 800 x 600 centred on
# the screen, the report window 806 x (screen height - 20) in the top-left
# corner, the About box 335 x 245; the main window and the About box refuse
# to be resized or maximised, the report window can be maximised and comes
# back from it, and the report's page view has no horizontal scroll bar. The
# echo-dynamics window, shown for the first time, lies on the screen; on a
# screen with room beside the main window for its minimum size (`clear`), it
# lies over no part of the main window.
#
#   window_geometry_test.sh PROBE bare     no window manager: outer = inside
#   window_geometry_test.sh PROBE openbox  framed by openbox: outer = inside
#                                          plus the frame extents it sets
#   ... [WIDTHxHEIGHT [clear]]             the screen (1024x768 when not
#                                          given), and whether it has room
#
# Needs the packages xvfb, x11-utils and xdotool, and openbox and wmctrl for
# the second.
set -euo pipefail
probe=$1
mode=$2
screen=${3:-1024x768}
room=${4:-}
# shellcheck source=../../scripts/x11-window.sh
source "$(dirname "$0")/../../scripts/x11-window.sh"
screen_w=${screen%x*}
screen_h=${screen#*x}

tools=(Xvfb xwininfo xprop xdotool)
[ "$mode" = openbox ] && tools+=(openbox wmctrl)
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
# A failed check: said, counted, and the checks go on.
failures=0
complain() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# Polls a command for up to $1 tenths of a second.
poll() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# A display of its own: Xvfb takes a free number and writes it to fd 3.
# -noreset: by default the server regenerates itself whenever its last client
# leaves, and a client that connects in that moment is turned away; the
# polls below come and go, so without it openbox could find no display.
Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp -noreset \
  3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
poll 100 grep -q '^[0-9]' "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
poll 100 sh -c 'xprop -root >/dev/null 2>&1' ||
  fail "no X server answers on $DISPLAY: $(cat "$work/xvfb.log")"

if [ "$mode" = openbox ]; then
  # A window manager that gave up at once (a busy machine) is started again,
  # up to three times.
  wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
  for attempt in 1 2 3; do
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    pids+=("$wm_pid")
    for _ in $(seq 100); do
      wm_up && break
      kill -0 "$wm_pid" 2>/dev/null || break
      sleep 0.1
    done
    wm_up && break
    echo "openbox attempt $attempt failed: $(cat "$work/openbox.log")"
    kill "$wm_pid" 2>/dev/null || true
  done
  wm_up || fail "openbox did not start on $DISPLAY: $(cat "$work/openbox.log" "$work/xvfb.log")"
  framed=--framed
else
  framed=
fi

# A settings folder of its own: no place of the echo-dynamics window is
# remembered, and the user's settings stay untouched.
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb "$probe" $framed >"$work/probe.out" 2>"$work/probe.err" &
probe_pid=$!
pids+=("$probe_pid")
poll 300 grep -q '^ready' "$work/probe.out" ||
  fail "the probe did not get ready: $(cat "$work/probe.out" "$work/probe.err")"
id_of() { sed -n "s/^$1 //p" "$work/probe.out"; }

main=$(id_of main)
about=$(id_of about)
report=$(id_of report)
echo_id=$(id_of echo)
[ -n "$main" ] && [ -n "$about" ] && [ -n "$report" ] && [ -n "$echo_id" ] ||
  fail "no window ids: $(cat "$work/probe.out")"

# Outer size, and the place where one is set ("-" for none).
check() {
  local name=$1 id=$2 want_x=$3 want_y=$4 want_w=$5 want_h=$6 x y w h l r t b
  read -r l r t b <<<"$(x_extents "$id")"
  if [ "$mode" = openbox ]; then
    [ $((l + r + t + b)) -gt 0 ] || complain "$name: openbox set no frame extents"
  else
    [ $((l + r + t + b)) -eq 0 ] || complain "$name: frame extents $l $r $t $b without a window manager"
  fi
  read -r x y w h <<<"$(x_outer "$id")"
  echo "$name: inside $(x_inside "$id"), extents $l $r $t $b, outer $x $y $w $h"
  [ "$w $h" = "$want_w $want_h" ] || complain "$name: outer size ${w}x$h, wanted ${want_w}x$want_h"
  [ "$want_x" = - ] || [ "$x $y" = "$want_x $want_y" ] ||
    complain "$name: outer corner at ($x, $y), wanted ($want_x, $want_y)"
  [ "$(x_toplevel "$id")" = "$x $y $w $h" ] ||
    complain "$name: the frame window is $(x_toplevel "$id"), not $x $y $w $h"
}
# A resize asked of the window system is refused: the size hints say
# minimum = maximum = the inside, and the outer size stays.
check_fixed() {
  local name=$1 id=$2 want_w=$3 want_h=$4 w h hints min max
  read -r _ _ w h <<<"$(x_inside "$id")"
  hints=$(xprop -id "$id" WM_NORMAL_HINTS)
  min=$(echo "$hints" | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
  max=$(echo "$hints" | sed -n 's/.*maximum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
  [ "$min" = "$w $h" ] && [ "$max" = "$w $h" ] ||
    complain "$name: size hints min '$min' max '$max', inside $w $h"
  if [ "$mode" = openbox ]; then
    local actions
    actions=$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS)
    case $actions in
    *_NET_WM_ACTION_RESIZE* | *_NET_WM_ACTION_MAXIMIZE*) complain "$name: openbox allows $actions" ;;
    esac
  fi
  xdotool windowsize "$id" 1000 700
  sleep 1
  read -r _ _ w h <<<"$(x_outer "$id")"
  [ "$w $h" = "$want_w $want_h" ] || complain "$name: resized to ${w}x$h"
  if [ "$mode" = openbox ]; then
    maximise "$id" add
    read -r _ _ w h <<<"$(x_outer "$id")"
    [ "$w $h" = "$want_w $want_h" ] || complain "$name: maximised to ${w}x$h"
  fi
}
# Asks the window manager to maximise window $1 (add) or to restore it
# (remove), as a task bar does.
maximise() {
  wmctrl -i -r "$1" -b "$2,maximized_vert,maximized_horz"
  sleep 1
}

check main "$main" $(((screen_w - 800) / 2)) $(((screen_h - 600) / 2)) 800 600
check about "$about" - - 335 245
check report "$report" 0 0 806 $((screen_h - 20))

# Whether two rectangles (x y w h each) share a pixel.
overlap() {
  [ "$1" -lt $(($5 + $7)) ] && [ "$5" -lt $(($1 + $3)) ] &&
    [ "$2" -lt $(($6 + $8)) ] && [ "$6" -lt $(($2 + $4)) ]
}
read -r ex ey ew eh <<<"$(x_outer "$echo_id")"
read -r mx my mw mh <<<"$(x_outer "$main")"
echo "echo: outer $ex $ey $ew $eh; main window $mx $my $mw $mh"
[ "$ex" -ge 0 ] && [ "$ey" -ge 0 ] && [ $((ex + ew)) -le "$screen_w" ] &&
  [ $((ey + eh)) -le "$screen_h" ] || complain "echo: not on the screen"
if [ "$room" = clear ]; then
  ! overlap "$ex" "$ey" "$ew" "$eh" "$mx" "$my" "$mw" "$mh" || complain "echo: over the main window"
fi
check_fixed main "$main" 800 600
check_fixed about "$about" 335 245

# The report window can be maximised, and it comes back to its geometry
# when restored: the window manager's frame changes both times.
if [ "$mode" = openbox ]; then
  maximise "$report" add
  [ "$(x_outer "$report")" = "0 0 $screen_w $screen_h" ] ||
    complain "report: maximised to $(x_outer "$report"), not the whole screen"
  maximise "$report" remove
  [ "$(x_outer "$report")" = "0 0 806 $((screen_h - 20))" ] ||
    complain "report: restored to $(x_outer "$report")"
fi

# The page view, as the probe saw it once the windows had settled: no
# horizontal bar, a vertical one where the page is taller than the view, and
# the page's 794 px in view beside it.
read -r _ hbar vbar viewport <<<"$(grep '^report-view ' "$work/probe.out")"
echo "report page view: horizontal bar $hbar, vertical bar $vbar, viewport $viewport px wide"
[ "$hbar" = hidden ] || complain "the report view shows a horizontal scroll bar"
# A screen taller than the page (1123 px) with the window's bars shows it whole.
[ "$vbar" = shown ] || [ "$screen_h" -ge 1200 ] || complain "the report view shows no vertical scroll bar"
[ "$viewport" -ge 794 ] || complain "the report view is $viewport px wide, narrower than the page"

[ "$failures" -eq 0 ] || exit 1
echo "PASS: the windows' outer geometry ($mode, $screen${room:+, $room})"
