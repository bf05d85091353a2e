#!/bin/sh
# Builds the movie engine's fuzz target with clang and runs it.
#
#   run_fuzz.sh SOURCE_DIR WORK_DIR CORPUS_DIR [SECONDS]
#
# The test suite runs it for 60 seconds. A long run, from a build folder:
#   ../tests/fuzz/run_fuzz.sh .. fuzz-long ../../shared/swf-corpus 36000
# New inputs collect in WORK_DIR/found; crashes land in WORK_DIR as crash-*.
set -eu
src=$(cd "$1" && pwd)
work=$2
seeds=$3
seconds=${4:-60}
mkdir -p "$work/build" "$work/found" "$work/seeds"
cmake -S "$src/tests/fuzz/standalone" -B "$work/build" -G Ninja \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DAMBRELIA_SOURCE_DIR="$src" > "$work/configure.log"
cmake --build "$work/build" -j2 > "$work/build.log" || { cat "$work/build.log"; exit 1; }
# Only the movies seed the run, not the reference pictures beside them.
if [ -d "$seeds" ]; then
    for f in "$seeds"/parser/*.swf "$seeds"/flash-reference/*.swf "$seeds"/sound/*.swf; do
        [ -f "$f" ] && ln -sf "$f" "$work/seeds/$(basename "$(dirname "$f")")-$(basename "$f")"
    done
fi
# Movies of our own with every sound tag (PCM, ADPCM, MP3 and a skipped Nellymoser, event sounds
# with each SOUNDINFO field, streams in the main timeline and a sprite).
for f in "$src"/tests/fuzz/seeds/*; do
    [ -f "$f" ] && ln -sf "$f" "$work/seeds/own-$(basename "$f")"
done
# Inputs that once crashed the engine are seeds too, so a run starts by
# replaying them.
for f in "$src"/tests/fuzz/regressions/*; do
    [ -f "$f" ] && ln -sf "$f" "$work/seeds/regression-$(basename "$f")"
done
cd "$work"
export LSAN_OPTIONS="suppressions=$src/tests/fuzz/lsan.supp:print_suppressions=0"
# A fixed seed keeps the suite's short run repeatable; a long run may pass
# another with FUZZ_SEED.
exec ./build/swf_fuzz -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 found seeds
