# Shared by run.sh and test.sh: install what is missing, then configure and build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

RUN_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libxcb1-dev zlib1g-dev libzip-dev
              fonts-liberation)
TEST_PACKAGES=(qt6-qpa-plugins libgtest-dev libgmock-dev libbenchmark-dev proj-bin gdal-bin rtklib gpsd-clients
               xvfb xauth openbox x11-utils xdotool iproute2 util-linux dosfstools fusefat exfatprogs exfat-fuse)
CLANG_PACKAGES=(clang-14 libclang-rt-14-dev)

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_project() {
  local tests="$1"
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQUARIX_BUILD_TESTS="$tests" -DQUARIX_BUILD_BENCH="$tests" >/dev/null
  cmake --build "$BUILD_DIR" -j "$(nproc)"
}

# Configures a Clang build into folder $1 with the extra compile flags $2 (also given to the linker); further
# arguments go to cmake.
build_with_clang() {
  local dir="$1" flags="$2"
  shift 2
  CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="$flags -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
        -DQUARIX_BUILD_TESTS=ON "$@" >/dev/null
}
