#!/usr/bin/env bash
# Builds one fuzz target with Clang, AddressSanitizer and UndefinedBehaviorSanitizer and runs it.
#   scripts/fuzz.sh TARGET [SECONDS [LIBFUZZER-OPTIONS...]]
#     TARGET: a name of tests/fuzz/fuzz_<name>.cpp; SECONDS: 60 unless given; further options go to libFuzzer.
#     BUILD_JOBS (environment): parallel compile jobs, all cores unless given.
# New inputs go to build-fuzz/corpus-TARGET; a finding is written as build-fuzz/crash-TARGET-*. Copy a finding into
# tests/fuzz/corpus/TARGET/ once it is mended: the suite replays that folder.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
if [ $# -lt 1 ] || [ ! -f "$ROOT/tests/fuzz/fuzz_$1.cpp" ]; then
  echo "usage: scripts/fuzz.sh TARGET [SECONDS]; targets:" \
       $(cd "$ROOT/tests/fuzz" && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')
  exit 2
fi
target="$1"
seconds="${2:-60}"
shift $(( $# < 2 ? $# : 2 ))
install_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${CLANG_PACKAGES[@]}"
dir="$ROOT/build-fuzz"
build_with_clang "$dir" "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link" \
  -DQUARIX_FUZZ=ON -DQUARIX_BUILD_BENCH=OFF
cmake --build "$dir" -j "${BUILD_JOBS:-$(nproc)}" --target "fuzz_$target"
mkdir -p "$dir/corpus-$target"
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix="$dir/crash-$target-" "$@" "$dir/corpus-$target" "$ROOT/tests/fuzz/corpus/$target"
