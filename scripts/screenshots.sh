#!/usr/bin/env bash
# Renders each built-in dialog in English and Japanese on a virtual X display
# into docs/images/: the GTK view with the native tool (build/default), and
# the Win32 view with the Windows tool under Wine (build/mingw), when built.
#
#   scripts/screenshots.sh        (needs xvfb-run, xwininfo and ImageMagick's import)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/docs/images"

if [ "${1:-}" != --on-display ]; then
  mkdir -p "$out"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --on-display
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TAVRIN_REGISTRY="$scratch/registry.sqlite3"

# The id of the mapped window with the title (with a third argument "prefix":
# whose title begins with it), waiting up to $2 seconds.
find_window() {
  local seconds=$2 id="" pattern="\"$1\""
  [ "${3:-}" = prefix ] && pattern="\"$1"
  for _ in $(seq 1 $((seconds * 5))); do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "$pattern" | awk '{print $1}' | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

# shoot VIEW LANGUAGE DIALOG COMMAND...: runs the tool, photographs the dialog, ends the tool.
shoot() {
  local view=$1 language=$2 dialog=$3 title="Property" wait=15 file
  shift 3
  [ "$language" = ja ] && title="プロパティ"
  [ "$view" = win32 ] && wait=90
  file="$out/dialog-$view-$dialog-$language.png"
  local locale=C.UTF-8
  [ "$language" = ja ] && locale=ja_JP.UTF-8
  LANG=$locale LC_ALL= "$@" --sim 0 dialog "$dialog" >/dev/null 2>&1 &
  local pid=$!
  if id=$(find_window "$title" "$wait"); then
    sleep 1  # let the preview behind it and the controls finish drawing
    import -window "$id" "$file"
    echo "screenshots: $file"
  else
    echo "screenshots: no $view $dialog dialog ($language) appeared" >&2
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

for language in en ja; do
  for dialog in camera analog image; do
    if [ -x "$root/build/default/bin/tavrin" ]; then
      shoot gtk "$language" "$dialog" "$root/build/default/bin/tavrin"
    fi
    if [ -f "$root/build/mingw/bin/tavrin.exe" ]; then
      WINEPREFIX="$root/build/mingw/wineprefix-screenshots" WINEDEBUG=-all \
        shoot win32 "$language" "$dialog" wine "$root/build/mingw/bin/tavrin.exe"
    fi
  done
done

# The viewer with its histogram and settings panel, in English and Japanese,
# once it has drawn a few frames of the simulated camera.
viewer="$root/build/default/bin/tavrin-viewer"
if [ -x "$viewer" ]; then
  for language in en ja; do
    locale=C.UTF-8
    [ "$language" = ja ] && locale=ja_JP.UTF-8
    file="$out/viewer-$language.png"
    LANG=$locale LC_ALL= TAVRIN_SHARED_MEMORY_NAME="tavrin-screenshots-$$" \
        "$viewer" --sim 0 --output-dir "$scratch" >/dev/null 2>&1 &
    pid=$!
    if id=$(find_window "Tavrin Viewer" 40 prefix); then
      # The pointer out of the way, so that no tooltip covers the window.
      command -v xdotool >/dev/null && xdotool mousemove 1279 1023
      sleep 3  # frames, the histogram and the status bar
      import -window "$id" "$file"
      echo "screenshots: $file"
    else
      echo "screenshots: no viewer window ($language) appeared" >&2
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
fi
