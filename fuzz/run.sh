#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for a bounded time.
#   fuzz/run.sh [seconds per target, default 30]
# Inputs that crash, hang or trip a sanitizer are saved under fuzz/crashes/ and make the
# script exit non-zero. New interesting inputs go to fuzz/build/corpus/, never into the
# seed corpus under fuzz/corpus/.
set -euo pipefail

SECONDS_PER_TARGET="${1:-30}"
FUZZ_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(dirname "$FUZZ_DIR")"
BUILD="$FUZZ_DIR/build"
CRASHES="$FUZZ_DIR/crashes"
TARGETS=(fuzz_material_parser fuzz_token_parser)

# A compiler that can link a libFuzzer target, or nothing.
find_fuzz_compiler() {
    local probe_dir
    probe_dir="$(mktemp -d)"
    printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' > "$probe_dir/probe.cpp"
    for cxx in clang++ clang++-14; do
        if command -v "$cxx" >/dev/null 2>&1 &&
           "$cxx" -fsanitize=fuzzer,address,undefined "$probe_dir/probe.cpp" -o "$probe_dir/probe" >/dev/null 2>&1; then
            rm -rf "$probe_dir"
            echo "$cxx"
            return
        fi
    done
    rm -rf "$probe_dir"
}

CXX="$(find_fuzz_compiler)"
if [ -z "$CXX" ]; then
    echo "fuzz: installing clang-14 and its fuzzer runtime" >&2
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang-14 libclang-rt-14-dev libtinyxml-dev >/dev/null
    CXX="$(find_fuzz_compiler)"
fi
if [ -z "$CXX" ]; then
    echo "fuzz: no clang++ able to build libFuzzer targets" >&2
    exit 2
fi
if [ ! -e /usr/include/tinyxml.h ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq libtinyxml-dev >/dev/null
fi

mkdir -p "$BUILD" "$CRASHES"
CXXFLAGS=(-std=c++17 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$ROOT/plugin")
LIB_SOURCES=("$ROOT"/plugin/utils/*.cpp "$ROOT"/plugin/kyrano_utils/*.cpp)

echo "fuzz: building with $CXX"
for target in "${TARGETS[@]}"; do
    "$CXX" "${CXXFLAGS[@]}" "$FUZZ_DIR/$target.cpp" "${LIB_SOURCES[@]}" -ltinyxml -o "$BUILD/$target"
done

status=0
for target in "${TARGETS[@]}"; do
    work_corpus="$BUILD/corpus/$target"
    mkdir -p "$work_corpus"
    options=(-max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$CRASHES/$target-")
    if [ "$target" = fuzz_material_parser ]; then
        options+=(-dict="$FUZZ_DIR/kym.dict" -max_len=8192)
    fi
    echo "fuzz: running $target for ${SECONDS_PER_TARGET}s"
    if ! "$BUILD/$target" "${options[@]}" "$work_corpus" "$FUZZ_DIR/corpus/$target" > "$BUILD/$target.log" 2>&1; then
        echo "fuzz: $target FOUND A PROBLEM; input saved under $CRASHES, log in $BUILD/$target.log" >&2
        tail -n 40 "$BUILD/$target.log" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$BUILD/$target.log" | sed "s/^/fuzz: $target /" || true
done
exit "$status"
