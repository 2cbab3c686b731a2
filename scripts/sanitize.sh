#!/usr/bin/env bash
# Builds the whole suite with Clang under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer and runs
# it; then builds the test programs that run threads (serial device, NTRIP client and window, screenshots) under
# ThreadSanitizer and runs them. Extra arguments go to the first ctest run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${CLANG_PACKAGES[@]}"
export QT_QPA_PLATFORM=offscreen
supp="$ROOT/tests/sanitizers"

build_with_clang "$ROOT/build-asan" "-fsanitize=address,undefined -fno-sanitize-recover=undefined" \
  -DQUARIX_BUILD_BENCH=OFF
cmake --build "$ROOT/build-asan" -j "$(nproc)"
(cd "$ROOT/build-asan" &&
  ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure --no-label-summary -j "$(nproc)" --timeout 600 "$@")

threads=(devices/serial_test ntrip/ntrip_client_test ntrip/ntrip_window_test runtime/screenshots_capture_test)
build_with_clang "$ROOT/build-tsan" "-fsanitize=thread" -DQUARIX_BUILD_BENCH=OFF
cmake --build "$ROOT/build-tsan" -j "$(nproc)" --target "${threads[@]##*/}"
# Tests that start str2str are left out: Qt starts a process with clone(), which clang 14's ThreadSanitizer does
# not follow, and its runtime then fails its own check in the test process.
for t in "${threads[@]}"; do
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp" \
    "$ROOT/build-tsan/tests/$t" --gtest_filter='-*WithStr2str*'
done
echo "ThreadSanitizer: ${#threads[@]} test programs passed"
