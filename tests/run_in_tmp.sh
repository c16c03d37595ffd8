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
case "$mode" in
  display16)
    exec xvfb-run -a -s "-screen 0 1024x768x16" "$@" ;;
  display)
    if [ -z "${DISPLAY:-}" ]; then
      exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
    fi
    exec "$@" ;;
  *)
    exec "$@" ;;
esac
