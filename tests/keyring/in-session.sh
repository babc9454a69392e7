#!/bin/sh
# Runs a test program inside a private D-Bus session bus of its own, with HOME
# and the XDG folders in a temporary folder, so the user's keyring is never
# touched and a machine without any session bus (CI, as root) works too.
#   in-session.sh keyring PROGRAM [ARGS]   an unlocked login keyring made for the test
#   in-session.sh none PROGRAM [ARGS]      a bus on which nothing provides the keyring
#   in-session.sh stopped PROGRAM [ARGS]   a keyring daemon that is stopped (never answers)
# The bus starts no service on demand, so "none" stays without a keyring.
set -eu
mode=$1
shift
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
mkdir -p "$tmp/home" "$tmp/run" "$tmp/data" "$tmp/config" "$tmp/cache"
chmod 700 "$tmp/run"
cat >"$tmp/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$tmp/run</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
export HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" XDG_DATA_HOME="$tmp/data" \
    XDG_CONFIG_HOME="$tmp/config" XDG_CACHE_HOME="$tmp/cache" KEYRING_MODE="$mode"
unset DISPLAY WAYLAND_DISPLAY GNOME_KEYRING_CONTROL XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION
# Everything, the daemon included, ends with the session; timeout guards a hang.
exec timeout -k 5 150 dbus-run-session --config-file="$tmp/bus.conf" -- sh -c '
    set -eu
    daemon=
    if [ "$KEYRING_MODE" != none ]; then
        printf "test-login" | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
        daemon=$!
        i=0
        until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
                org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q true; do
            i=$((i + 1))
            if [ $i -gt 100 ]; then echo "in-session.sh: the keyring daemon did not start" >&2; exit 1; fi
            sleep 0.1
        done
        # The login keyring exists once a first item can be stored and found.
        printf x | secret-tool store --label=probe lockleaf-probe 1
        secret-tool clear lockleaf-probe 1
        [ "$KEYRING_MODE" = stopped ] && kill -STOP "$daemon"
    fi
    status=0
    "$@" || status=$?
    if [ -n "$daemon" ]; then kill -CONT "$daemon" 2>/dev/null || true; kill "$daemon" 2>/dev/null || true; fi
    exit $status
' in-session "$@"
