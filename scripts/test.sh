#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests, and runs them all.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_project ON
export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
ctest --output-on-failure --no-label-summary -j "$(nproc)" --timeout 300 "$@"
