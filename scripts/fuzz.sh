#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target (tests/fuzz/*_fuzz.cpp) at the same time, each
# for FUZZ_SECONDS (default 150) over a copy of its seed corpus in a temporary folder, so the
# repository is never written. A finding fails the run; the log then holds the target's name, its
# report and the input that broke it, in hex. Arguments name targets to run instead of all.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-150}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for source in tests/fuzz/*_fuzz.cpp; do names+=("$(basename "$source" .cpp)"); done
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
declare -A pids
for name in "${names[@]}"; do
  mkdir -p "$work/$name/corpus" "$work/$name/findings"
  if [ -d "tests/fuzz/corpus/$name" ]; then cp -R "tests/fuzz/corpus/$name/." "$work/$name/corpus/"; fi
  TMPDIR="$work/$name" UBSAN_OPTIONS=print_stacktrace=1 "build-fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=30 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$work/$name/findings/" \
    "$work/$name/corpus" >"$work/$name/log" 2>&1 &
  pids[$name]=$!
done

failed=()
printf '%-24s %12s %10s %8s %14s\n' target executions exec/s cov corpus
for name in "${names[@]}"; do
  status=0
  wait "${pids[$name]}" || status=$?
  done_line="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/$name/log" | tail -n 1 || true)"
  runs="$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$work/$name/log" | tail -n 1)"
  rate="$(sed -nE 's/.*exec\/s: *([0-9]+).*/\1/p' <<<"$done_line")"
  cov="$(sed -nE 's/.*cov: *([0-9]+).*/\1/p' <<<"$done_line")"
  corpus="$(sed -nE 's/.*corp: *([^ ]+).*/\1/p' <<<"$done_line")"
  printf '%-24s %12s %10s %8s %14s\n' "$name" "${runs:-?}" "${rate:-?}" "${cov:-?}" "${corpus:-?}"
  if [ "$status" -ne 0 ]; then failed+=("$name"); fi
done

for name in "${failed[@]}"; do
  echo
  echo "=== fuzz finding in ${name} (its report without the progress lines)"
  grep -vE '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse|INITED|RELOAD)' "$work/$name/log" | tail -n 80
  for input in "$work/$name/findings"/*; do
    [ -e "$input" ] || continue
    echo "--- ${name}: $(basename "$input"), $(stat -c %s "$input") bytes, as hex:"
    od -An -tx1 -v "$input"
  done
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing found nothing in ${#names[@]} targets, ${seconds} s each; the step took ${SECONDS} s with its build"
