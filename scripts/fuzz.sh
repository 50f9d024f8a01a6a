#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into ${BUILD_DIR:-build-fuzz} and runs each one on
# its seed corpus fuzz/corpus/<target>/ for FUZZ_SECONDS seconds (30 by
# default), several at once (FUZZ_JOBS, default: the number of processors).
# Any crash, sanitizer report, leak or input that takes more than 10 seconds
# fails; so does a target without seeds.
#
#   bash scripts/fuzz.sh                     every fuzz/*.cpp
#   FUZZ_SECONDS=600 bash scripts/fuzz.sh format code_pages
#
# New inputs found go to <build>/fuzz-out/<target>/corpus, failing ones to
# <build>/fuzz-out/<target>/ (crash-*, leak-*, timeout-*), the log beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-30}
jobs=${FUZZ_JOBS:-$(nproc)}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*.cpp; do
    targets+=("$(basename "$src" .cpp)")
  done
fi

# A target without seeds would run on nothing and prove nothing.
bad=0
for t in "${targets[@]}"; do
  if [ ! -f "fuzz/$t.cpp" ]; then
    echo "fuzz: there is no target fuzz/$t.cpp" >&2
    bad=1
  elif [ -z "$(find "fuzz/corpus/$t" -type f 2>/dev/null | head -n 1)" ]; then
    echo "fuzz: the seed corpus of target '$t' is empty: put seed inputs in fuzz/corpus/$t/" >&2
    bad=1
  fi
done
[ "$bad" -eq 0 ] || exit 1

bash scripts/deps.sh --fuzz
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBW_FUZZ=ON -DBW_BENCH=OFF
build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
cmake --build "$build_dir" --parallel "${BUILD_JOBS:-$(nproc)}" --target "${build_targets[@]}"

run_one() {
  local t=$1 out="$build_dir/fuzz-out/$1"
  rm -rf "$out"
  mkdir -p "$out/corpus"
  # The scratch corpus comes first: libFuzzer adds new inputs there and leaves the seeds alone.
  set +e
  "$build_dir/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus" "fuzz/corpus/$t" >"$out/log" 2>&1
  echo $? >"$out/rc"
}

echo "fuzz: running ${targets[*]} for ${seconds} s each, $jobs at once"
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_one "$t" &
done
wait

failed=()
for t in "${targets[@]}"; do
  out="$build_dir/fuzz-out/$t"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/log" | tail -n 1)
  if [ "$(cat "$out/rc")" = 0 ]; then
    echo "fuzz: $t: no finding in ${runs:-?} runs"
  else
    failed+=("$t")
    echo "fuzz: $t: FINDING (exit $(cat "$out/rc")); log $out/log; inputs:" $(ls "$out" | grep -E '^(crash|leak|timeout|oom|slow-unit)-' || true)
    tail -n 60 "$out/log"
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: every target ran ${seconds} s with no finding"
