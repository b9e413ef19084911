#!/usr/bin/env bash
# Runs a test program against a Secret Service of its own: a session bus of its own
# (dbus-run-session) with a GNOME keyring daemon on it, in a temporary home, its login keyring
# created and unlocked with a test password. The user's own keyring is never reached.
# Exits 77 (skipped) when the daemon or the bus runner is not installed.
set -euo pipefail

for tool in dbus-run-session gnome-keyring-daemon; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (scripts/deps.sh installs it)"
        exit 77
    fi
done

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
chmod 700 "$home"
mkdir -m 700 "$home/run"

inner() {
    # The daemon reads the new keyring's password from standard input.
    printf '%s' tessella-test-keyring |
        gnome-keyring-daemon --unlock --components=secrets >/dev/null
    exec "$@"
}
export -f inner
HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config \
    XDG_RUNTIME_DIR=$home/run XDG_CURRENT_DESKTOP=GNOME TESSELLA_PRIVATE_KEYRING=1 \
    dbus-run-session -- bash -c 'inner "$@"' inner "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
