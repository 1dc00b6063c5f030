#!/usr/bin/env bash
# Starts Quorvane (PROGRAM and its arguments) on the X display and waits until its main window
# has appeared: a window of its process whose caption begins with "Quorvane  [for Version".
#
#   await-main-window.sh PROGRAM [ARGS...]         prints "PID WINDOW-ID" and leaves it running
#   await-main-window.sh --wait PROGRAM [ARGS...]  then waits for it and exits with its status
#
# The program ends silently when another copy holds its lock, and a crash ends it as well: when
# it ends before its window appeared, this says so on standard error and exits non-zero
# (the program's own status when that is not 0, else 1). Without --wait, a window that has not
# appeared within QUORVANE_WINDOW_TIMEOUT seconds (default 60) counts as a failed start too; the
# program is then ended.
set -uo pipefail

wait_for_end=0
if [ "${1:-}" = "--wait" ]; then wait_for_end=1; shift; fi
if [ $# -eq 0 ]; then
  echo "usage: $0 [--wait] PROGRAM [ARGS...]" >&2
  exit 2
fi
timeout=${QUORVANE_WINDOW_TIMEOUT:-60}

# The main window of the program started here: another copy's window has the same caption,
# so the window's process (_NET_WM_PID) must be ours.
main_window() {
  local w
  for w in $(xwininfo -root -tree 2>/dev/null | awk '/"Quorvane  \[for Version/ {print $1}'); do
    if [ "$(xprop -id "$w" _NET_WM_PID 2>/dev/null | awk '{print $NF}')" = "$pid" ]; then
      echo "$w"
      return
    fi
  done
}

if [ $wait_for_end -eq 1 ]; then
  "$@" &
else
  # Its output goes to standard error, so that a caller reading ours is not held up by it.
  "$@" >&2 &
fi
pid=$!

deadline=$((SECONDS + timeout))
win=""
while [ -z "$win" ]; do
  if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    echo "Quorvane ended before its window appeared (exit status $status): another copy may be running, or it could not start." >&2
    [ "$status" -ne 0 ] && exit "$status"
    exit 1
  fi
  if [ $SECONDS -ge $deadline ]; then
    # The operator's own start is not ended for a window this script cannot see (a display
    # server without X windows); it runs on, and its end gives the status.
    [ $wait_for_end -eq 1 ] && break
    echo "Quorvane's window did not appear within $timeout seconds; the program has been ended." >&2
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    exit 1
  fi
  sleep 0.2
  win=$(main_window)
done

if [ $wait_for_end -eq 1 ]; then
  status=0
  wait "$pid" || status=$?
  exit "$status"
fi
echo "$pid $win"
