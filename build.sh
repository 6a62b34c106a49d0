#!/usr/bin/env bash
# The project's front door.
#
#   ./build.sh run    install what is missing, build everything, run the installer under Wine
#   ./build.sh test   install what is missing, build everything, run every test tier
#   ./build.sh build  install what is missing and build everything
set -uo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(
    cmake g++ make googletest zlib1g-dev libssl-dev file
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
    wine64 wine xvfb xauth x11-apps imagemagick
    clang libclang-rt-14-dev
)

log() { printf '== %s\n' "$*"; }

ensure_packages() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=
    [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get update -q >/dev/null || { echo "apt-get update failed" >&2; exit 1; }
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null \
        || { echo "apt-get install failed" >&2; exit 1; }
}

configure() {   # dir, cmake arguments...
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" "$@" >"$dir.configure.log" 2>&1 \
        || { cat "$dir.configure.log" >&2; echo "configure of $dir failed" >&2; exit 1; }
}

build_dir() {
    log "building $1"
    cmake --build "$1" -j"$jobs" >"$1.build.log" 2>&1 \
        || { tail -n 60 "$1.build.log" >&2; echo "build of $1 failed" >&2; exit 1; }
}

build_all() {
    mkdir -p build
    configure build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
    build_dir build/native
    configure build/native-asan -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
    build_dir build/native-asan
    configure build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_FUZZERS=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    build_dir build/fuzz
    # The payload is packed by the native build; both Windows builds link the same one.
    local payload="$root/build/native/payload/PayloadData.cpp"
    local test_payload="$root/build/native/payload/TestPayloadData.cpp"
    configure build/win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DPAYLOAD_SOURCE="$payload" -DTEST_PAYLOAD_SOURCE="$test_payload"
    build_dir build/win64
    configure build/win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DPAYLOAD_SOURCE="$payload" -DTEST_PAYLOAD_SOURCE="$test_payload"
    build_dir build/win32
    cp build/win32/src/app/setup.exe build/win32/setup.exe
    cp build/win64/src/app/setup64.exe build/win64/setup64.exe
}

summary=()
failed=0

# Runs one tier: build dir, tier name, ctest arguments.
run_tier() {
    local dir=$1 name=$2
    shift 2
    local out="$root/build/test-$name.log"
    (cd "$dir" && ctest --output-on-failure -j"$jobs" "$@") >"$out" 2>&1
    local rc=$?
    local line
    line=$(grep -E 'tests passed|No tests were found' "$out" | tail -n 1)
    [ -n "$line" ] || line="ctest failed to run (see $out)"
    if [ $rc -ne 0 ]; then
        failed=1
        grep -E '^\s+[0-9]+ - ' "$out" | head -n 20 >&2
        line="$line  FAILED (log: build/test-$name.log)"
    fi
    summary+=("$(printf '%-16s %s' "$name" "$line")")
}

cmd_test() {
    run_tier build/native "unit" -L unit
    run_tier build/native-asan "unit-asan" -L unit
    run_tier build/win64 "unit-wine" -L unit
    run_tier build/win64 "windows" -L windows
    run_tier build/win64 "e2e" -L e2e
    run_tier build/fuzz "fuzz" -L fuzz
    echo
    echo "Test summary"
    for s in "${summary[@]}"; do echo "  $s"; done
    return $failed
}

cmd_run() {
    local exe=build/win64/setup64.exe
    if [ -n "${DISPLAY:-}" ]; then
        log "running $exe on $DISPLAY"
        tools/wine-run --display "$exe"
        return $?
    fi
    # No display: an Xvfb of our own, the installer in it, a screenshot of what it shows.
    mkdir -p build/artifacts
    local n=95
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    local xvfb=$!
    for _ in $(seq 1 100); do [ -S "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    log "running $exe under Xvfb :$n"
    DISPLAY=":$n" tools/wine-run --display "$exe" &
    local app=$!
    local shot=build/artifacts/run.png
    for _ in $(seq 1 20); do
        sleep 1
        kill -0 "$app" 2>/dev/null || break
    done
    DISPLAY=":$n" xwd -root -silent | convert xwd:- "$shot" 2>/dev/null && log "screenshot: $shot"
    kill "$app" 2>/dev/null
    wait "$app"
    local rc=$?
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    return $rc
}

case "${1:-}" in
    run) ensure_packages; build_all; cmd_run ;;
    test) ensure_packages; build_all; cmd_test ;;
    build) ensure_packages; build_all ;;
    *) echo "usage: ./build.sh run|test|build" >&2; exit 2 ;;
esac
