#!/usr/bin/env bash
# Runs one test program in a fresh temporary working folder holding links to
# the runtime dir's data/ and html/.
#   run_in_tmp.sh plain|display|display16 RUNTIME_DIR PROGRAM [ARGS...]
# A display test started without an X server gets its own Xvfb; 16-bit tests
# always get their own server of depth 16.
set -u
mode=$1 runtime=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/marbrix-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
ln -s "$runtime/data" "$work/data"
ln -s "$runtime/html" "$work/html"
cd "$work" || exit 1
export MARBRIX_NO_HELP=1 SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
if [ -f "${MARBRIX_SOURCE_DIR:-}/tests/lsan.supp" ]; then
  export LSAN_OPTIONS="suppressions=$MARBRIX_SOURCE_DIR/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
fi
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
# Starts a private Xvfb of the given depth. The server picks a free display
# itself (-displayfd), so tests started at the same time never share or
# fight over one, as happens when several "xvfb-run -a" race for a number.
# -noreset: a test that closes its last connection and opens a new one (SDL_Quit,
# then SDL_Init) must not meet a server in the middle of its reset.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "1024x768x$1" -nolisten tcp -noreset 3>"$work/.display" 2>"$work/.xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [ -s "$work/.display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ ! -s "$work/.display" ]; then
    echo "Xvfb did not start:" >&2; cat "$work/.xvfb.log" >&2; exit 1
  fi
  export DISPLAY=":$(head -n1 "$work/.display")"
  trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
}
case "$mode" in
  display16)
    start_xvfb 16 ;;
  display)
    [ -z "${DISPLAY:-}" ] && start_xvfb 24 ;;
esac
"$@"
