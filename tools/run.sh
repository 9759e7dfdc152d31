#!/usr/bin/env bash
# Sets everything up and starts the program on the demo database.
#   tools/run.sh            build, make the demo installation once, start the program
#   tools/run.sh --fresh    rebuild the demo database first (the clerk's changes are lost)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBANKREC_TESTS=OFF -DBANKREC_BENCH=OFF >/dev/null
cmake --build "$build" --target bankrec bankrec_demo

demo="$root/demo"
if [ "${1:-}" = "--fresh" ] || [ ! -f "$demo/Database/TolvaneDemo.mdb" ]; then
    "$build/src/bankrec_demo" "$demo"
fi

export ORLUNDE_SETTINGS="$demo/ORLUNDE.ini"
export TKV_PROGRAM_FOLDER="$demo/Programs"
exec "$build/src/bankrec"
