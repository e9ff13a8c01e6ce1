#!/bin/sh
# Runs a command on a virtual X display of its own and exits with its status.
# Xvfb picks a free display number itself as it starts (-displayfd), so test
# programs started at the same time never take the same one, as they could
# with xvfb-run -a, which guesses a number before its server runs. The server
# does not reset when its last client leaves (-noreset), so a program that
# connects right after another one quit finds it as it was.
#
#   with_virtual_display.sh [-s "SERVER OPTIONS"] COMMAND [ARGUMENT...]
set -eu
options="-screen 0 1280x1024x24"
if [ "${1:-}" = -s ]; then
  options=$2
  shift 2
fi
folder=$(mktemp -d "${TMPDIR:-/tmp}/virtual-display.XXXXXX")
server=
finish() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$folder"
}
trap finish EXIT
trap 'exit 143' TERM INT
# shellcheck disable=SC2086 # the options are words for Xvfb
/usr/bin/Xvfb -displayfd 3 -noreset -nolisten tcp $options 3>"$folder/number" 2>"$folder/log" &
server=$!
# The number is written once the server takes connections.
tries=0
while ! grep -q '^[0-9]' "$folder/number" 2>/dev/null; do
  if ! kill -0 "$server" 2>/dev/null || [ "$tries" -ge 200 ]; then
    echo "with_virtual_display.sh: Xvfb did not start:" >&2
    cat "$folder/log" >&2
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.05
done
status=0
DISPLAY=:$(head -n 1 "$folder/number") "$@" || status=$?
exit "$status"
