#!/usr/bin/env bash
# ./run fuzz [SECONDS]: each fuzzer for SECONDS (default 60), then its executions.
set -euo pipefail
root=$1
seconds=${2:-60}
cmake -S "$root/tests/fuzz" -B "$root/build/fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DFUZZ_SECONDS="$seconds" >/dev/null
cmake --build "$root/build/fuzz" >/dev/null
cd "$root/build/fuzz"
for t in command_line run_value key_records space_text; do
    ctest -V -R "fuzz.$t" >"fuzz-$t.log" 2>&1 || { cat "fuzz-$t.log"; exit 1; }
    echo "$t: $(grep -o 'stat::number_of_executed_units: [0-9]*' "fuzz-$t.log" | awk '{print $2}') executions in $seconds s, no finding"
done
