#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite,
# then the concurrency tests again under ThreadSanitizer and the wire,
# request-decoding and server robustness tests under AddressSanitizer with
# UndefinedBehaviorSanitizer, and last the libFuzzer programs (clang, the
# same sanitizers) for a bounded time each. The sanitizer and fuzz trees
# build only those tests and programs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export KEELMON_DISCOVERY_TARGET=127.0.0.1
jobs=$(nproc)

# The compiler cache makes a repeated build of the same sources (another
# checkout, the three trees below) cost little; paths are taken relative to
# the checkout so that every checkout shares it.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEEL_SANITIZE_THREAD=ON "${launcher[@]}" >/dev/null
cmake --build build-tsan -j "$jobs" --target tsan_tests
ctest --test-dir build-tsan --output-on-failure -L tsan

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEEL_SANITIZE_ADDRESS=ON "${launcher[@]}" >/dev/null
cmake --build build-asan -j "$jobs" --target asan_tests
ctest --test-dir build-asan --output-on-failure -L asan

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEEL_FUZZ=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_targets
bash scripts/run-fuzzers.sh build-fuzz
