#!/usr/bin/env bash
# Start-up part of the bad-input campaign: starts the real program many times
# under Xvfb, each time in a fresh working folder where one data or user file
# is corrupt, missing, huge, a FIFO, a device, a directory or a link planted
# to another file, and counts crashes, hangs, files lost or half-written and
# files written outside the folder. Also kills the program (kill -9) while a
# first start writes its settings and names, and checks a link planted at the
# next screenshot name with F10.
#
#   tools/badinput/startup_campaign.sh [RUNTIME_DIR] [KILL_RUNS]
#
# RUNTIME_DIR defaults to build/runtime (it must hold marbrix3d and data/).
# Each start is bounded: the program gets SIGTERM (SDL's quit) once its window
# shows or after START_SECONDS (default 20); a program still alive
# GRACE_SECONDS (default 15) later counts as hung and is killed. The whole
# run takes about three minutes on a slow machine. Exit status 0 when
# nothing crashed, hung, was lost or was written outside its folder.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
runtime=$(cd "${1:-$root/build/runtime}" && pwd)
kill_runs=${2:-10}
start_seconds=${START_SECONDS:-20}
grace_seconds=${GRACE_SECONDS:-15}

if [ -z "${MARBRIX_CAMPAIGN_INNER:-}" ]; then
    export MARBRIX_CAMPAIGN_INNER=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$runtime" "$kill_runs"
fi

program=$runtime/marbrix3d
[ -x "$program" ] || { echo "no program at $program" >&2; exit 2; }
# X11 only: SDL would otherwise fall back to a text-mode driver on a failed
# connection and scribble on the terminal.
export MARBRIX_NO_HELP=1 SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

scratch=$(mktemp -d /tmp/marbrix-campaign.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
outside=$scratch/outside  # link targets: must never be written
mkdir -p "$outside"

runs=0 crashes=0 hangs=0 lost=0 escaped=0 refused=0 started=0
failures=""

note_failure() {
    failures="$failures
  $1"
}

# A working folder with data/ as a tree of links to the runtime's files, so
# a scenario can replace any one file without touching the build.
new_folder() {
    dir=$scratch/run$runs
    rm -rf "$dir"
    mkdir -p "$dir"
    cp -rs "$runtime/data" "$dir/data"
    printf '[Path]\nGamePath=./\n\n[Game]\nLang=en\nFullscreen=0\n' >"$dir/config.ini"
    echo "$dir"
}

# Replaces a file of the folder by something odd.
plant() {  # folder relative-path kind
    local f=$1/$2
    rm -rf "$f"
    case $3 in
        fifo) mkfifo "$f" ;;
        zero) ln -s /dev/zero "$f" ;;
        dir) mkdir "$f" ;;
        empty) : >"$f" ;;
        junk) head -c 3000 /dev/urandom >"$f" ;;
        huge) head -c $((70 << 20)) /dev/zero >"$f" ;;
        truncated) head -c 100 "$runtime/$2" >"$f" ;;
    esac
}

# A copy of a WAV with one 16-bit or 32-bit header field changed.
patch_wav() {  # folder relative-path offset bytes value
    local f=$1/$2
    rm -f "$f"
    cp "$runtime/$2" "$f"
    python3 - "$f" "$3" "$4" "$5" <<'EOF'
import struct, sys
path, offset, size, value = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
with open(path, "r+b") as f:
    f.seek(offset)
    f.write(struct.pack("<H" if size == 2 else "<I", value))
EOF
}

window_shown() {
    xdotool search --name '^Marbrix 3D TR$' >/dev/null 2>&1
}

# Runs the program in folder $1 and classifies how it ended. $2 is an
# optional action once the window shows (a function name).
run_program() {
    local dir=$1 action=${2:-} pid status waited=0
    runs=$((runs + 1))
    (cd "$dir" && exec "$program") 2>"$dir/err.txt" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null && [ $waited -lt $((start_seconds * 10)) ]; do
        if window_shown; then
            [ -n "$action" ] && $action
            break
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    kill -TERM "$pid" 2>/dev/null
    waited=0
    while kill -0 "$pid" 2>/dev/null && [ $waited -lt $((grace_seconds * 10)) ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        hangs=$((hangs + 1))
        note_failure "hang: $3"
        return
    fi
    wait "$pid"
    status=$?
    # Our own SIGTERM can arrive after SDL has given the signal back (while
    # the program shuts down after refusing to start): not a crash.
    [ $status -eq 143 ] && status=$([ -s "$dir/err.txt" ] && echo 1 || echo 0)
    if [ $status -ge 128 ] || grep -q 'AddressSanitizer\|runtime error\|bad_alloc' "$dir/err.txt"; then
        crashes=$((crashes + 1))
        note_failure "crash (status $status): $3: $(head -c 200 "$dir/err.txt")"
    elif [ $status -eq 0 ]; then
        started=$((started + 1))
    elif [ -s "$dir/err.txt" ]; then
        refused=$((refused + 1))
    else
        crashes=$((crashes + 1))
        note_failure "failed without a message (status $status): $3"
    fi
}

check_outside_untouched() {
    if [ -n "$(ls -A "$outside")" ] && ! cmp -s "$outside/victim.txt" "$scratch/victim.orig"; then
        escaped=$((escaped + 1))
        note_failure "written outside the folder: $1"
    fi
    if [ -e "$outside/escaped.png" ]; then
        escaped=$((escaped + 1))
        note_failure "screenshot written outside the folder: $1"
    fi
}

echo "precious text, not the game's" >"$scratch/victim.orig"
reset_victim() {
    rm -f "$outside"/*
    cp "$scratch/victim.orig" "$outside/victim.txt"
}

scenario() {  # description, setup command, its arguments after the folder
    local what=$1 setup=$2 dir
    shift 2
    dir=$(new_folder)
    reset_victim
    "$setup" "$dir" "$@"
    run_program "$dir" "${action:-}" "$what"
    check_outside_untouched "$what"
    echo "$(printf '%-52s' "$what") $(tail -c 120 "$dir/err.txt" | tr '\n' '|')"
}

# --- the scenarios ------------------------------------------------------------
wav_field() { patch_wav "$1" "$2" "$3" "$4" "$5"; }

nothing() { :; }
scenario "baseline" nothing
# The game's music starts with the first game, a moment after the window.
linger() { sleep 3; }
for sound in data/sfx/place.wav data/sfx/musicmenu.zik data/sfx/musicjeu1.zik; do
    action=
    [ "$sound" = data/sfx/musicjeu1.zik ] && action=linger
    scenario "$sound: 0 channels" wav_field "$sound" 22 2 0
    scenario "$sound: rate 1 Hz" wav_field "$sound" 24 4 1
    scenario "$sound: data longer than the file" wav_field "$sound" 40 4 2000000000
done
action=
scenario "data/sfx/place.wav: rate 0" wav_field data/sfx/place.wav 24 4 0
for kind in fifo zero dir junk; do
    scenario "data/sfx/win.wav: $kind" plant data/sfx/win.wav $kind
done
scenario "data/sfx/musicmenu.zik: fifo" plant data/sfx/musicmenu.zik fifo
for kind in fifo zero dir huge junk; do
    scenario "config.ini: $kind" plant config.ini $kind
done
width_config() {
    printf '[Path]\nGamePath=./\n\n[Game]\nLang=en\nFullscreen=0\nWidth=%s\nHeight=200\n' "$2" \
        >"$1/config.ini"
}
for w in 0 20 33; do scenario "config.ini: Width=$w" width_config $w; done
for f in playersname.txt data/text_en.txt data/gfx/font/vagron.ttf data/gfx/3d/table.3ds \
    data/gfx/2d/pointeur.png data/gfx/3d/1-2.png; do
    scenario "$f: fifo" plant "$f" fifo
    scenario "$f: device" plant "$f" zero
done
scenario "data/gfx/3d/background.3ds: truncated" plant data/gfx/3d/background.3ds truncated
scenario "data/gfx/2d/pointeur.png: junk" plant data/gfx/2d/pointeur.png junk
link_names() { ln -s "$outside/victim.txt" "$1/playersname.txt"; }
scenario "playersname.txt: link to another file" link_names
link_log() { ln -s "$outside/victim.txt" "$1/lib3d_log.txt"; }
scenario "lib3d_log.txt: link to another file" link_log
leftovers() {
    echo half >"$1/config.ini.Ab12Cd"
    echo half >"$1/playersname.txt.000xyz"
    echo mine >"$1/config.ini.mine"
}
leftovers_check() {
    if [ -e "$1/config.ini.Ab12Cd" ] || [ -e "$1/playersname.txt.000xyz" ] ||
        [ ! -e "$1/config.ini.mine" ]; then
        lost=$((lost + 1))
        note_failure "leftover temporaries not cleaned up (or a file of the player removed)"
    fi
}
dir=$(new_folder)
leftovers "$dir"
run_program "$dir" "" "leftover temporaries"
leftovers_check "$dir"
echo "leftover temporaries                                 $(tail -c 100 "$dir/err.txt" | tr '\n' '|')"

# F10 with a dangling link, pointing outside, at the next free screenshot name.
press_f10() {
    local id tries=0
    # Pressed again until a picture shows up: a loaded machine may still be
    # starting the game, and the window found first may since have been
    # replaced by the one the display was opened with, so look it up anew.
    while [ $tries -lt 15 ]; do
        sleep 1
        for id in $(xdotool search --name '^Marbrix 3D TR$' 2>/dev/null); do
            xdotool windowfocus --sync "$id" key F10 >/dev/null 2>&1
        done
        sleep 1
        [ -n "$(find "$dir/captures" -name 'screenshot*.png' -type f)" ] && break
        tries=$((tries + 1))
    done
}
dir=$(new_folder)
reset_victim
mkdir -p "$dir/captures"
ln -s "$outside/escaped.png" "$dir/captures/screenshot000000.png"
run_program "$dir" press_f10 "F10 with a link at the next name"
check_outside_untouched "F10 with a link at the next name"
shots=$(find "$dir/captures" -name 'screenshot*.png' -type f | wc -l)
echo "F10 with a link at the next name                     $shots screenshot(s) inside"
if [ "$shots" -lt 1 ]; then
    lost=$((lost + 1))
    note_failure "F10 wrote no screenshot"
fi
# Every picture written is whole: the PNG signature first, IEND last.
for shot in $(find "$dir/captures" -name 'screenshot*.png' -type f); do
    if [ "$(head -c 8 "$shot" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ] ||
        [ "$(tail -c 12 "$shot" | od -An -tx1 | tr -d ' \n')" != 0000000049454e44ae426082 ]; then
        lost=$((lost + 1))
        note_failure "half-written screenshot $(basename "$shot")"
    fi
done

# kill -9 while a first start writes config.ini and playersname.txt: each
# file is then absent or whole, never half-written.
half=0
for i in $(seq 1 "$kill_runs"); do
    dir=$(new_folder)
    rm -f "$dir/config.ini"
    runs=$((runs + 1))
    (cd "$dir" && exec "$program") 2>"$dir/err.txt" &
    pid=$!
    sleep "0.$((RANDOM % 9 + 1))$((RANDOM % 10))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if [ -e "$dir/config.ini" ] && ! grep -q '^Music=1$' "$dir/config.ini"; then
        half=$((half + 1))
        note_failure "half-written config.ini after kill -9"
    fi
    if [ -e "$dir/playersname.txt" ] && [ "$(stat -c %s "$dir/playersname.txt")" -lt 18 ]; then
        half=$((half + 1))
        note_failure "half-written playersname.txt after kill -9"
    fi
done
lost=$((lost + half))

echo
echo "start-ups: $runs (started and quit normally: $started, refused with a message: $refused," \
    "killed during first-start writes: $kill_runs)"
echo "crashes: $crashes  hangs: $hangs  files lost or half-written: $lost  written outside the folder: $escaped"
if [ -n "$failures" ]; then
    echo "failures:$failures"
    exit 1
fi
exit 0
