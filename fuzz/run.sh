#!/bin/sh
# Builds the store fuzzer with clang and runs it for a bounded time over the seed corpus; non-zero on a crash.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/fuzz"}
seconds=${FUZZ_SECONDS:-60}

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEL_FUZZ=ON -DPEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target store_fuzz -j2

# New inputs go to a scratch folder; the committed seeds stay as they are.
work="$build/store_corpus"
mkdir -p "$work"
cd "$build"
"$build/fuzz/store_fuzz" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" "$root/fuzz/corpus/store"
