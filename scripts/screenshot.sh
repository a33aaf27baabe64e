#!/usr/bin/env bash
# Starts the real client under Xvfb with a settings folder of its own and
# saves a picture of its main window as docs/screenshot.png (or the file
# given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-docs/screenshot.png}

bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tobrik-client
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -fPIC -o build/screengrab scripts/screengrab.cpp $(pkg-config --cflags --libs Qt6Gui)

work=$(mktemp -d)
xvfb_pid=""
client_pid=""
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
build/bin/tobrik-client >"$work/client.log" 2>&1 &
client_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name "トブリク - Client" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "screenshot: the main window did not appear" >&2
  cat "$work/client.log" >&2
  exit 1
fi
sleep 1  # let it paint

mkdir -p "$(dirname "$out")"
build/screengrab "$window" "$out"
echo "saved $out"
