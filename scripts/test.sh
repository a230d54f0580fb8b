#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
#   build/        the program and all tests (UI tests on Qt's offscreen platform), after the
#                 check that no include runs up a layer
#   build-asan/   the core and codec tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   build-tsan/   the archiver's concurrent parts under ThreadSanitizer
#   build-win/    the whole program cross-built with mingw-w64 against a Qt for Windows, its
#                 tests (the windows' ones on Qt's minimal platform) run under Wine, and the
#                 package Fernhold-<version>-win64.zip (FERNHOLD_SKIP_WINDOWS=1 leaves it out)
#   build-fuzz/   the libFuzzer targets, each run for a bounded time
# Every build treats warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

jobs=$(nproc)
passed=0
failed=0
run_ctest() { # run_ctest BUILD_DIR [ctest args...]
    local dir=$1; shift
    local log="$dir/ctest.log"
    if ctest --test-dir "$dir" --output-on-failure -j"$jobs" "$@" 2>&1 | tee "$log"; then :; fi
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1 || true)
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

echo "== native build and tests"
bash scripts/check-layers.sh && passed=$((passed + 1)) || failed=$((failed + 1))
# The sources as .clang-format lays them out: a difference fails here, with the files named.
if git ls-files '*.cpp' '*.h' | xargs clang-format-14 --dry-run --Werror; then
    echo "format: every source as .clang-format lays it out"
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFERNHOLD_WERROR=ON
cmake --build build -j"$jobs"
QT_QPA_PLATFORM=offscreen run_ctest build

echo "== sanitizer build (codec and core)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFERNHOLD_BUILD_UI=OFF -DFERNHOLD_SANITIZE=ON \
    -DFERNHOLD_WERROR=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build-asan -LE slow

echo "== thread sanitizer build (the archiver's concurrent parts)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFERNHOLD_BUILD_UI=OFF -DFERNHOLD_TSAN=ON
cmake --build build-tsan -j"$jobs" --target archiver_concurrency_test
TSAN_OPTIONS=halt_on_error=1 run_ctest build-tsan -R '^archiver_concurrency_test$'

if [ "${FERNHOLD_SKIP_WINDOWS:-0}" = 1 ]; then
    echo "== Windows build under Wine: left out (FERNHOLD_SKIP_WINDOWS=1)"
else
    echo "== Windows build under Wine"
    windows_started=$SECONDS
    # Qt for Windows: given, or the prebuilt one beside the repository, or built once (slow).
    qt_mingw=$(bash scripts/windows-qt.sh "${FERNHOLD_CACHE:-$PWD/.cache}")
    echo "Qt for Windows: $qt_mingw"
    # Qt's package folders are cached by the first configure: another Qt needs a fresh cache.
    if [ -f build-win/CMakeCache.txt ] &&
        [ "$(sed -n 's/^CMAKE_PREFIX_PATH:[A-Z]*=//p' build-win/CMakeCache.txt)" != "$qt_mingw" ]; then
        rm build-win/CMakeCache.txt
    fi
    cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERNHOLD_BUILD_UI=ON \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH="$qt_mingw" \
        -DFERNHOLD_NATIVE_UNLHA="$PWD/build/bin/unlha" -DFERNHOLD_WERROR=ON
    cmake --build build-win -j"$jobs"
    cmake --build build-win --target package
    # Quiet and without windows: no debug output, no Mono or Gecko installer, no display to open
    # a crash dialog on.
    export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    if [ ! -d "$WINEPREFIX" ]; then
        wineboot --init >/dev/null 2>&1 || true
        wineserver -w || true # let the server that set up the prefix end, so ours can start below
    fi
    # A Japanese Windows: code page 932, with UTF-8 names on the Linux side. The locale is compiled
    # into build-win; without it the tests run under code page 1252 and skip what needs 932.
    mkdir -p build-win/locale
    if [ -d build-win/locale/ja_JP.UTF-8 ] || localedef -i ja_JP -f UTF-8 build-win/locale/ja_JP.UTF-8 >/dev/null 2>&1; then
        export LOCPATH="$PWD/build-win/locale"
        export LC_ALL=ja_JP.UTF-8
    fi
    # One server, and one set of Wine's own services, for every test program instead of a start and
    # stop for each. The services are started here with their output on /dev/null: started by a test
    # they would hold its output pipe open, and ctest would wait for them.
    wineserver -p || true # already running is fine: the tests then share that one
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
    run_ctest build-win
    wineserver -k || true
    unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LOCPATH LC_ALL
    echo "== Windows part took $((SECONDS - windows_started)) s"
    echo "== $(basename build-win/Fernhold-*-win64.zip):"
    cmake -E tar tf build-win/Fernhold-*-win64.zip
fi

if [ -f fuzz/CMakeLists.txt ]; then
    echo "== fuzzing (bounded)"
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DFERNHOLD_BUILD_UI=OFF -DFERNHOLD_BUILD_TESTS=OFF -DFERNHOLD_FUZZ=ON -DFERNHOLD_WERROR=ON
    cmake --build build-fuzz -j"$jobs"
    bash fuzz/run-all.sh build-fuzz "${FERNHOLD_FUZZ_SECONDS:-45}" && passed=$((passed + 1)) || failed=$((failed + 1))
fi

# The suite's size beside the code's: tests are meant to stay near a third of it.
if git rev-parse --git-dir >/dev/null 2>&1; then
    code_lines=$(git ls-files 'src/*.cpp' 'src/*.h' | xargs cat | wc -l)
    test_lines=$(git ls-files 'tests/*.cpp' 'tests/*.h' | xargs cat | wc -l)
    echo "lines: code $code_lines, tests $test_lines" \
        "($(awk -v t="$test_lines" -v c="$code_lines" 'BEGIN {printf "%.2f", t / c}') of the code)"
fi
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
