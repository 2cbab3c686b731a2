#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages "${RUN_PACKAGES[@]}"
build_project OFF
exec "$BUILD_DIR/QuarixDM"
