#!/usr/bin/env bash
# Builds the optimised tree in build/release and publishes a document.
#   ./run.sh                                   publishes the bundled sample drawing
#   ./run.sh publish DOCUMENT -o OUT.dwf [...] publishes any host document
set -euo pipefail
cd "$(dirname "$0")"
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLCAST_TESTS=OFF \
      -DQUILLCAST_BENCH=ON >/dev/null
program=build/release/bin/quillcast
# Standard output holds only what quillcast prints (`./run.sh publish --help`
# prints the help alone): the build says nothing but its warnings and errors,
# on standard error, and nothing at all when there is nothing to build.
[ -x "$program" ] || echo "Building build/release; the first build takes a few minutes" >&2
cmake --build build/release -j "$(nproc)" -- --quiet | { grep -v '^ninja: no work to do\.$' || true; } >&2
# The examples in the README write into out/.
mkdir -p out
if [ $# -eq 0 ]; then
  "$program" publish examples/sample-drawing.xml -o out/sample-drawing.dwf --force
  echo "Wrote $(pwd)/out/sample-drawing.dwf"
else
  "$program" "$@"
fi
