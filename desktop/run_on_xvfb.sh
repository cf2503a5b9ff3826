#!/bin/sh
# Usage: run_on_xvfb.sh COMMAND [ARGS...]
# Runs COMMAND on a private virtual X server and a private session bus, and returns its status.
#
# The server picks its own display number and reports it (-displayfd): choosing a free number first
# and starting the server after (as xvfb-run -a does) races with every X server started meanwhile on
# the machine, by this suite or another, and two runs that pick the same number share one display
# until the first to finish takes it away from the other. The private bus keeps the app's session
# services (accessibility, single instance) away from the desktop's and from other runs.
set -u
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-xvfb.XXXXXX") || exit 1
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x900x24 3>"$work/display" 2>"$work/log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"' EXIT
tries=0
until [ -s "$work/display" ] && grep -q '^[0-9][0-9]*$' "$work/display"; do
  if ! kill -0 "$server" 2>/dev/null || [ "$tries" -ge 300 ]; then
    echo "run_on_xvfb.sh: Xvfb did not start:" >&2
    cat "$work/log" >&2
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.1
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
unset XAUTHORITY
if command -v dbus-run-session >/dev/null 2>&1; then
  dbus-run-session -- "$@"
else
  "$@"
fi
