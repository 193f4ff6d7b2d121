#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for a bounded time, two at a
# time (one per core).
#   fuzz/run.sh [seconds per target, default 30] [target ...]
# Targets: the material reader, the token parser, the mesh file reader and the host document
# reader; all of them unless some are named. Inputs that crash, hang or trip a sanitizer are
# saved under fuzz/crashes/ and make the script exit non-zero. New interesting inputs go to
# fuzz/build/corpus/, never into the seed corpus under fuzz/corpus/.
set -euo pipefail

SECONDS_PER_TARGET="${1:-30}"
shift || true
FUZZ_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="$FUZZ_DIR/build"
CRASHES="$FUZZ_DIR/crashes"
TARGETS=(fuzz_material_parser fuzz_token_parser fuzz_mesh_reader fuzz_document_reader)
if [ "$#" -gt 0 ]; then TARGETS=("$@"); fi

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

mkdir -p "$BUILD" "$CRASHES"
echo "fuzz: building with $CXX"
# Compiles through ccache where it is installed, as the main build does.
LAUNCHER=""
if command -v ccache >/dev/null 2>&1; then
    LAUNCHER="ccache "
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$FUZZ_DIR")}" CCACHE_NOHASHDIR=1
fi
make -s -f "$FUZZ_DIR/Makefile" -j2 CXX="$LAUNCHER$CXX" "${TARGETS[@]/#/$BUILD/}"

# Runs one target for the time given; its log goes to fuzz/build/<target>.log.
run_target() {
    local target="$1"
    local work_corpus="$BUILD/corpus/$target"
    mkdir -p "$work_corpus"
    local options=(-max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                   -artifact_prefix="$CRASHES/$target-")
    case "$target" in
        fuzz_material_parser) options+=(-dict="$FUZZ_DIR/kym.dict" -max_len=8192) ;;
        fuzz_document_reader) options+=(-dict="$FUZZ_DIR/document.dict" -max_len=8192) ;;
        fuzz_mesh_reader) options+=(-max_len=4096) ;;
    esac
    "$BUILD/$target" "${options[@]}" "$work_corpus" "$FUZZ_DIR/corpus/$target" > "$BUILD/$target.log" 2>&1
}

report() {
    local target="$1" code="$2"
    if [ "$code" -ne 0 ]; then
        echo "fuzz: $target FOUND A PROBLEM; input saved under $CRASHES, log in $BUILD/$target.log" >&2
        tail -n 40 "$BUILD/$target.log" >&2
    fi
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$BUILD/$target.log" | sed "s/^/fuzz: $target /" || true
}

status=0
for ((i = 0; i < ${#TARGETS[@]}; i += 2)); do
    pair=("${TARGETS[@]:i:2}")
    pids=()
    for target in "${pair[@]}"; do
        echo "fuzz: running $target for ${SECONDS_PER_TARGET}s"
        run_target "$target" &
        pids+=($!)
    done
    for k in "${!pair[@]}"; do
        code=0
        wait "${pids[$k]}" || code=$?
        report "${pair[$k]}" "$code"
        if [ "$code" -ne 0 ]; then status=1; fi
    done
done
exit "$status"
