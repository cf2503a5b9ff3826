#!/bin/sh
# Usage: run_with_keyring.sh COMMAND [ARGS...]
# Runs COMMAND with a Secret Service of its own: a private session bus (dbus-run-session) with GNOME
# Keyring's daemon started in it, unlocked, in a HOME made for the run, so no keyring of the user's is
# read or changed and runs beside each other never meet. COMMAND sees ZARVO_TEST_KEYRING=1.
# Without the tools it skips (status 77), or fails when ZARVO_REQUIRE_DBUS is set (as in CI).
set -u
missing=""
for tool in dbus-run-session gnome-keyring-daemon secret-tool; do
  command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  if [ -n "${ZARVO_REQUIRE_DBUS:-}" ]; then
    echo "FAIL: missing$missing (ZARVO_REQUIRE_DBUS is set; scripts/bootstrap installs them)"
    exit 1
  fi
  echo "skipped: missing$missing (scripts/bootstrap installs them)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-keyring.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
HOME="$work"
XDG_DATA_HOME="$work/.local/share"
XDG_CONFIG_HOME="$work/.config"
XDG_RUNTIME_DIR="$work/run"
export HOME XDG_DATA_HOME XDG_CONFIG_HOME XDG_RUNTIME_DIR
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The keyring's own password comes on standard input; the keyring it unlocks is made for the run.
dbus-run-session -- sh -c '
  printf %s "keyring-of-the-test" | gnome-keyring-daemon --unlock --components=secrets --daemonize >/dev/null ||
    { echo "run_with_keyring.sh: gnome-keyring-daemon did not start" >&2; exit 1; }
  ZARVO_TEST_KEYRING=1 exec "$@"' sh "$@"
