#!/usr/bin/env bash
# The fuzz targets of tests/fuzz, built with clang under ASan and UBSan into build-fuzz/.
#   build                       builds every target and writes the seed corpora
#   ci [SECONDS]                each target for SECONDS (30) on a fresh copy of its seeds
#   campaign [RUNS] [TARGET...] each target (or those named) for RUNS executions (10 million),
#                               growing build-fuzz/corpus/; prints executions and coverage.
#                               FUZZ_MAX_SECONDS stops each target after that time instead.
# FUZZ_TIMEOUT (20 s) is how long one input may run: wall-clock time, so a campaign beside
# builds on a busy machine wants more, or starved inputs are reported as hangs.
# Any finding (crash, leak, time-out, broken property) stops that target, keeps the input
# in build-fuzz/findings/TARGET/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${FUZZ_BUILD:-build-fuzz}  # another folder lets a campaign run beside CI
TARGETS=(xparser datumzeit datum_rundreise dokument sprache konfig word_paket word_teil csv_leser)

dictionaries() {  # the dictionary files of a target
  case "$1" in
    xparser) echo xml ;;
    datumzeit | datum_rundreise) echo datum ;;
    dokument) echo xml dokument ;;
    sprache) echo xml sprache ;;
    konfig) echo xml konfig ;;
    word_paket | word_teil) echo word xml ;;
    csv_leser) echo csv ;;
  esac
}

build_targets() {
  CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIX_FUZZ=ON \
    -DTAVIX_BUILD_GUI=OFF -DTAVIX_BUILD_BENCH=OFF -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$BUILD" --target tavix_fuzz
  rm -rf "$BUILD/seeds" && python3 tests/fuzz/make-seeds.py . "$BUILD/seeds"
  mkdir -p "$BUILD/dict"
  local t d
  for t in "${TARGETS[@]}"; do
    : >"$BUILD/dict/$t.dict"
    for d in $(dictionaries "$t"); do cat "tests/fuzz/dict/$d.dict" >>"$BUILD/dict/$t.dict"; done
  done
}

# run_target <target> <corpus folder> <libFuzzer limit options>: new inputs go to the corpus
# folder, the seeds are read beside it; the log goes to logs/<target>.log
run_target() {
  local t=$1 corpus=$2 limit
  read -r -a limit <<<"$3"
  mkdir -p "$corpus" "$BUILD/findings/$t" "$BUILD/logs"
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    nice "$BUILD/bin/fuzz/fuzz_$t" "$corpus" "$BUILD/seeds/$t" -dict="$BUILD/dict/$t.dict" "${limit[@]}" \
    -timeout="${FUZZ_TIMEOUT:-20}" -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD/findings/$t/" \
    >"$BUILD/logs/$t.log" 2>&1
}

# One line per target: executions, time, coverage (edges), features and corpus size.
report() {
  local t log runs secs cov ft corp
  printf '%-16s %12s %7s %9s %7s %7s %7s\n' target executions seconds exec/s cov ft corpus
  for t in "$@"; do
    log="$BUILD/logs/$t.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log" | tail -1)
    secs=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    read -r cov ft corp < <(grep -aE '^#[0-9]+' "$log" | tail -1 |
      sed -E 's/.*cov: ([0-9]+) ft: ([0-9]+) corp: ([0-9]+).*/\1 \2 \3/')
    printf '%-16s %12s %7s %9s %7s %7s %7s\n' "$t" "${runs:-?}" "${secs:-?}" \
      "$([ -n "$secs" ] && [ "$secs" -gt 0 ] && echo $((runs / secs)) || echo -)" "${cov:-?}" "${ft:-?}" "${corp:-?}"
  done
}

# Runs the targets two at a time (the machine's cores); fails when any of them found something.
run_all() {  # run_all <corpus root> <limit> <targets...>
  local root=$1 limit=$2 failed=() t
  shift 2
  local -a pids=() names=()
  for t in "$@"; do
    run_target "$t" "$root/$t" "$limit" &
    pids+=($!) names+=("$t")
    if [ ${#pids[@]} -ge 2 ]; then
      wait "${pids[0]}" || failed+=("${names[0]}")
      pids=("${pids[@]:1}") names=("${names[@]:1}")
    fi
  done
  local i
  for i in "${!pids[@]}"; do wait "${pids[$i]}" || failed+=("${names[$i]}"); done
  report "$@"
  if [ ${#failed[@]} -gt 0 ]; then
    for t in "${failed[@]}"; do
      echo "== $t found a fault (input kept in $BUILD/findings/$t/):" >&2
      grep -aE -m5 'ERROR|property broken|runtime error|SUMMARY' "$BUILD/logs/$t.log" >&2 || tail -20 "$BUILD/logs/$t.log" >&2
    done
    return 1
  fi
}

case "${1:-}" in
  build) build_targets ;;
  ci)
    build_targets
    rm -rf "$BUILD/corpus-ci"
    run_all "$BUILD/corpus-ci" "-max_total_time=${2:-30}" "${TARGETS[@]}"
    ;;
  campaign)
    runs=${2:-10000000}
    shift $(($# >= 2 ? 2 : $#))
    [ $# -gt 0 ] || set -- "${TARGETS[@]}"
    build_targets
    run_all "$BUILD/corpus" "-runs=$runs${FUZZ_MAX_SECONDS:+ -max_total_time=$FUZZ_MAX_SECONDS}" "$@"
    ;;
  *) echo "usage: $0 build | ci [SECONDS] | campaign [RUNS] [TARGET...]" >&2; exit 2 ;;
esac
