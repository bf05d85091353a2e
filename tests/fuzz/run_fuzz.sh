#!/bin/sh
# Runs the movie engine's fuzz target, built by the sanitizer build.
#
#   run_fuzz.sh FUZZ_TARGET WORK_DIR CORPUS_DIR [SECONDS]
#
# The test suite runs it for 60 seconds. A long run: see README.md.
# New inputs collect in WORK_DIR/found; crashes land in WORK_DIR as crash-*.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
fuzzer=$(readlink -f "$1")
work=$2
seeds=$3
seconds=${4:-60}
mkdir -p "$work/found" "$work/seeds"
# Only the movies seed the run, not the reference pictures beside them.
if [ -d "$seeds" ]; then
    for f in "$seeds"/parser/*.swf "$seeds"/flash-reference/*.swf "$seeds"/sound/*.swf "$seeds"/trace/*.swf; do
        [ -f "$f" ] && ln -sf "$f" "$work/seeds/$(basename "$(dirname "$f")")-$(basename "$f")"
    done
fi
# Movies of our own with every sound tag (PCM, ADPCM, MP3 and a skipped Nellymoser, event sounds
# with each SOUNDINFO field, streams in the main timeline and a sprite).
for f in "$here"/seeds/*; do
    [ -f "$f" ] && ln -sf "$f" "$work/seeds/own-$(basename "$f")"
done
# Inputs that once crashed the engine are seeds too, so a run starts by
# replaying them.
for f in "$here"/regressions/*; do
    [ -f "$f" ] && ln -sf "$f" "$work/seeds/regression-$(basename "$f")"
done
cd "$work"
export LSAN_OPTIONS="suppressions=$here/../sanitize/lsan.supp:print_suppressions=0"
# A fixed seed keeps the suite's short run repeatable; a long run may pass
# another with FUZZ_SEED.
exec "$fuzzer" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 found seeds
