#!/usr/bin/env bash
# Builds zorvex_stub and its tests for 32-bit Intel (-m32) as a project of
# its own, with GoogleTest compiled from /usr/src/googletest, and runs the
# tests with CTest, stopping at the first failure.
#
# Usage: libs/zorvex_stub/test-32bit.sh [build-dir]     (default: build/stub32)
# Needs gcc-multilib and g++-multilib.  Extra CMake arguments may be given
# in ZORVEX_STUB_CMAKE_ARGS (e.g. a compiler choice).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build/stub32}"

# Some kernels are built without 32-bit support: there the programs can be
# built and checked, not run.
mkdir -p "$build"
sonde="$build/sonde32"
printf 'int main(void) { return 0; }\n' | ${CC:-cc} -m32 -x c - -o "$sonde"
lancable=1
"$sonde" 2>/dev/null || lancable=0

# shellcheck disable=SC2086
cmake -S "$here" -B "$build" \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS=-m32 -DCMAKE_CXX_FLAGS=-m32 \
  -DZORVEX_STUB_DISCOVERY_MODE=$([ $lancable = 1 ] && echo POST_BUILD || echo PRE_TEST) \
  ${ZORVEX_STUB_CMAKE_ARGS:-}
cmake --build "$build" --parallel "$(nproc)"

# Make sure the tests really are 32-bit programs (ELF class byte = 1).
for exe in "$build/tests/zorvex_stub_test" "$build/tests/zorvex_stub_threaded_test"; do
  class="$(od -An -t u1 -j 4 -N 1 "$exe" | tr -d ' ')"
  if [ "$class" != 1 ]; then
    echo "test-32bit.sh: $exe is not a 32-bit program" >&2
    exit 1
  fi
done

if [ $lancable = 0 ]; then
  echo "test-32bit.sh: this kernel cannot run 32-bit programs; the library and its tests" \
       "were built for 32-bit Intel and checked to be 32-bit, but not run"
  exit 0
fi
ctest --test-dir "$build" --output-on-failure --stop-on-failure
