#!/usr/bin/env bash
# Reliability checks beyond the ordinary tests:
#   1. the kill test at length: a writing copy killed OMBO_KILLS times (200
#      by default; the ordinary suite kills 24 times), on the ordinary build
#      (OMBO_BUILD_DIR, build/ by default);
#   2. the tests built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. clang-tidy on the program's code, with the checked-in .clang-tidy;
#   4. short libFuzzer runs on the day-key weekday, the record search and the
#      three import readers (CSV, calendar text, iCalendar), and, for half
#      the time each, the sync's readers of a server's answers and events.
# Exits non-zero at the first failure. OMBO_FUZZ_SECONDS sets each fuzz run's
# length (20 by default).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=$(nproc)
fuzz_seconds=${OMBO_FUZZ_SECONDS:-20}

pkgs=(cmake g++ ninja-build qt6-base-dev libqt6sql6-sqlite libical-dev qtkeychain-qt6-dev clang clang-tidy libclang-rt-14-dev sqlite3 util-linux
  python3-icalendar calendar poppler-utils faketime)
tools/install-missing.sh "${pkgs[@]}"

step() { echo; echo "=== $* ($(date +%T))"; }

# 1. The kill test: a write, its history row and the day's backup survive a
# kill at any instant.
step "kill test, ${OMBO_KILLS:-200} kills"
build=${OMBO_BUILD_DIR:-$here/build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs" --target tst_crash
OMBO_KILLS=${OMBO_KILLS:-200} QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TZ=Europe/Paris "$build/tests/tst_crash"

# 2. Sanitized tests. Leak detection is off: Qt and fontconfig keep caches for
# the life of the process that LeakSanitizer reports as leaks.
step "ASan+UBSan build and tests"
san="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DCMAKE_CXX_FLAGS="$san -O1" -DCMAKE_EXE_LINKER_FLAGS="$san" >/dev/null
sanitized_tests=(tst_calendar tst_store tst_windows tst_windowwrites tst_gridcommands tst_hostile tst_transfer tst_commandline)
cmake --build build-asan -j "$jobs" --target "${sanitized_tests[@]}"
regex="^($(IFS='|'; echo "${sanitized_tests[*]}"))\$"
(cd build-asan &&
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j "$jobs" -R "$regex")

# 3. clang-tidy, on the sanitized build's compile commands.
step "clang-tidy"
tidy_status=0
ls core/*.cpp app/*.cpp calendar/*.cpp store/*.cpp store/transfer/*.cpp store/sync/*.cpp ui/*.cpp |
  xargs -P "$jobs" -n 4 clang-tidy -p build-asan --quiet >build-asan/clang-tidy.log 2>&1 || tidy_status=$?
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated|^Suppressed [0-9]+ warnings|^Use -header-filter|^$' \
  build-asan/clang-tidy.log || true
if [ "$tidy_status" -ne 0 ] || grep -q -E '(warning|error):' build-asan/clang-tidy.log; then
  echo "clang-tidy found problems" >&2
  exit 1
fi
echo "clang-tidy: clean"

# 4. Fuzzing, from the committed seeds; new inputs go to a scratch corpus.
step "libFuzzer build"
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$jobs"
# Each fuzzer uses one core: as many run at once as there are cores, each
# into its own log, printed in order afterwards.
fuzz_targets=(nomdujour find csv calendar ics multistatus vevent)
fuzz_one() {
  local target=$1 seconds=$fuzz_seconds status=0
  case $target in multistatus|vevent) seconds=$(( (fuzz_seconds + 1) / 2 )) ;; esac
  mkdir -p "build-fuzz/corpus-$target"
  echo "fuzz_$target for ${seconds}s" >"build-fuzz/fuzz-$target.log"
  ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen \
    "build-fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build-fuzz/crash-$target-" -print_final_stats=1 \
      "build-fuzz/corpus-$target" "fuzz/corpus/$target" >>"build-fuzz/fuzz-$target.log" 2>&1 || status=$?
  echo "$status" >"build-fuzz/fuzz-$target.status"
}
export -f fuzz_one
export fuzz_seconds
step "fuzzing, $jobs at a time"
printf '%s\n' "${fuzz_targets[@]}" | xargs -P "$jobs" -I{} bash -c 'fuzz_one "$1"' _ {}
fuzz_failed=0
for target in "${fuzz_targets[@]}"; do
  step "$(head -1 "build-fuzz/fuzz-$target.log")"
  tail -12 "build-fuzz/fuzz-$target.log"
  [ "$(cat "build-fuzz/fuzz-$target.status")" = 0 ] || fuzz_failed=1
done
if [ "$fuzz_failed" -ne 0 ]; then
  echo "a fuzzer found a fault: see build-fuzz/crash-*" >&2
  exit 1
fi

step "reliability checks passed"
