#!/usr/bin/env bash
# Runs a command on a private X server, where the designer's window tests run:
#   scripts/xvfb-run.sh COMMAND [ARGS...]
# Starts Xvfb on the first free display number from XVFB_FIRST_DISPLAY (100 by
# default), runs COMMAND there with QT_QPA_PLATFORM=xcb and a private runtime
# folder, stops the server and exits with COMMAND's status. Displays in use
# (another server holds their lock) are skipped, so several runs can start at
# once. The screen is XVFB_SCREEN (1280x1024x24 by default).
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "$0: Xvfb is missing (bash scripts/install-deps.sh installs it)" >&2; exit 2; }

first="${XVFB_FIRST_DISPLAY:-100}"
scratch="$(mktemp -d)"
server=""
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb writes the display number to the pipe once it accepts connections, or
# closes it unwritten when it cannot start (the display is taken).
mkfifo "$scratch/ready"
display=""
for ((n = first; n < first + 100; n++)); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset \
    3>"$scratch/ready" 2>"$scratch/xvfb.log" &
  server=$!
  if read -r -t 30 shown <"$scratch/ready" && [ -n "$shown" ]; then
    display=":$shown"
    break
  fi
  wait "$server" 2>/dev/null || true
  server=""
done
if [ -z "$display" ]; then
  echo "$0: no X server could start on displays :$first to :$((first + 99))" >&2
  cat "$scratch/xvfb.log" >&2 || true
  exit 2
fi

mkdir -m 700 "$scratch/runtime"
# Under LeakSanitizer, leaks inside the system libraries the xcb platform
# loads (D-Bus) are not the program's.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
status=0
DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime" "$@" || status=$?
exit "$status"
