#!/usr/bin/env bash
# A session recorded by the Windows build (under Wine) replays in the Linux
# build, and one recorded by the Linux build replays in the Windows build:
# the program (session_peer, the same source in both builds) sees the same
# starts and errors in the same order, and every frame that both runs were
# given carries the same frame number and the same bytes. Which frames a
# consumer is given depends on its speed, so three quarters of the recorded
# ones must be among the replayed ones, not all. The Windows build records
# its frames compressed, the Linux build as they are, so that each build
# reads the other's way of storing them.
#
#   tests/integration/session/cross_platform_replay.sh [NATIVE_BUILD [WINDOWS_BUILD]]
#
# The builds default to build/default and build/mingw. When one of them (or
# Wine) is missing the check is skipped, saying so, and exits 0; any other
# trouble fails it.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
native=${1:-$root/build/default}
windows=${2:-$root/build/mingw}
native_peer=$native/bin/session_peer
windows_peer=$windows/bin/session_peer.exe
wine_run=$root/cmake/wine-run.sh

skip() { echo "cross-platform replay: skipped: $*"; exit 0; }
[ -x "$native_peer" ] || skip "no native build ($native_peer is absent)"
[ -f "$windows_peer" ] || skip "no Windows build ($windows_peer is absent)"
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || command -v wine >/dev/null ||
  skip "no Wine to run the Windows build"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-cross-replay.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
# Frames come quickly and the protocol's pauses are left out: what is
# compared is what the camera sent, not its timing.
record_setting="0;interval=12;pattern=2;level=600;settle=0"

# peer native|windows record|replay SIM SESSION [compress]: the peer's log
# is SESSION.log.
peer() {
  local build=$1 mode=$2 sim=$3 session=$4 program
  program=("$native_peer")
  [ "$build" = windows ] && program=("$wine_run" "$windows_peer")
  TAVRIN_SIM="$sim" TAVRIN_SHARED_MEMORY_NAME="tavrin-cross-replay-$$-$session" \
    TAVRIN_REGISTRY="$scratch/$session.sqlite3" "${program[@]}" "$mode" "$session" "$session.log" 500 "${@:5}"
}

# Compares a replay's log with its recording's log; prints what differs. The
# Windows program writes its log with CR LF line ends.
compare() {
  awk '
    FNR == 1 { file++ }
    { sub(/\r$/, "") }
    $1 == "start" || $1 == "error" { events[file] = events[file] $0 "\n" }
    $1 == "frame" { frames[file, $2 " " $3] = $4; if (file == 1) recorded[$2 " " $3] = 1 }
    $1 == "report" { print "the replay reported a difference: " $0; bad = 1 }
    $1 == "done" { done[file] = 1 }
    END {
      if (!done[1] || !done[2]) { print "a run did not finish"; bad = 1 }
      if (events[1] != events[2]) {
        printf "starts and errors differ:\nrecorded:\n%sreplayed:\n%s", events[1], events[2]; bad = 1
      }
      for (frame in recorded) {
        total++
        if ((2, frame) in frames) {
          common++
          if (frames[1, frame] != frames[2, frame]) {
            print "run and frame " frame ": recorded " frames[1, frame] ", replayed " frames[2, frame]; bad = 1
          }
        }
      }
      if (total == 0 || common * 4 < total * 3) { print common " of " total " recorded frames replayed"; bad = 1 }
      exit bad
    }' "$1" "$2"
}

failed=0
for direction in "windows native compress" "native windows"; do
  read -r from to compress <<<"$direction"
  recorded=$from-recorded.tvs
  replayed=$from-on-$to.tvs
  echo "cross-platform replay: recorded by the $from build, replayed by the $to build"
  if ! peer "$from" record "$record_setting" "$recorded" $compress || ! grep -q '^done' "$recorded.log"; then
    echo "the $from build's recording failed"; cat "$recorded.log" 2>/dev/null; failed=1; continue
  fi
  if ! peer "$to" replay "0;settle=0;replay=$recorded" "$replayed"; then
    echo "the $to build's replay failed"; failed=1
  fi
  compare "$recorded.log" "$replayed.log" || failed=1
done
[ "$failed" -eq 0 ] && echo "cross-platform replay: both directions replay the same frames, failures and unplugs"
exit "$failed"
