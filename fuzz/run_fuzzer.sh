#!/usr/bin/env bash
# Runs one libFuzzer target for FUZZ_SECONDS over its kept corpus. New inputs
# go to a scratch folder; a crash is written into the kept corpus so that it
# stays a regression input once committed.
#   run_fuzzer.sh PROGRAM CORPUS_DIR
set -u
prog=$1 corpus=$2
mkdir -p "$corpus"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/marbrix-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# A fixed seed by default keeps a test run repeatable; FUZZ_SEED=0 lets
# libFuzzer pick a new one each time, for longer hunts.
exec "$prog" -seed="${FUZZ_SEED:-1}" -max_total_time="${FUZZ_SECONDS:-20}" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$corpus/" "$scratch" "$corpus"
