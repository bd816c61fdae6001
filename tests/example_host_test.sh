#!/usr/bin/env bash
# The example host must build against an installed quillon alone (headers,
# CMake package, shared library from the prefix) and do its job there.
set -euo pipefail
BUILD_DIR=$1
shift
# The rest: CMake settings the library was built with that its clients need
# too (the compiler and the sanitizers of a sanitized build).
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$BUILD_DIR" --prefix "$work/prefix" >/dev/null
cmake -S "$SOURCE_DIR/examples/host" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" "$@" >/dev/null
cmake --build "$work/build" >/dev/null
# The program runs on the installed library, not on the build tree's.
# (ldd's output is taken whole first: grep -q closing the pipe early would fail it.)
libs=$(ldd "$work/build/example_host")
grep -qF "$work/prefix/lib/libquillon.so" <<<"$libs" || {
  printf '%s\n' "$libs"
  echo "example_host does not load the installed libquillon"
  exit 1
}
# The installed command runs wherever the prefix is, and finds the libxml2
# module it loads for html in the prefix's library folder.
[[ $("$work/prefix/bin/quillon" --version) == "quillon "* ]]
mv "$work/prefix" "$work/moved"
[[ $("$work/moved/bin/quillon" --version) == "quillon "* ]]
"$work/moved/bin/quillon" --home "$work/office" init --demo >/dev/null
loads=$(LD_DEBUG=files "$work/moved/bin/quillon" --home "$work/office" html --resource 21 -o "$work/checks.html" 2>&1)
grep -qF "file=$work/moved/lib/quillon/libquillon_libxml.so" <<<"$loads" || {
  printf "%s\n" "$loads" | grep libxml
  echo "the moved quillon did not load the libxml2 module of its own prefix"
  exit 1
}
grep -q "<html" "$work/checks.html"
mv "$work/moved" "$work/prefix"
out=$("$work/build/example_host" "$work/run")
printf '%s\n' "$out"
grep -qE '^office B imported it as project [0-9]+$' <<<"$out"
grep -qE '^  示例项目招标文件: [1-9][0-9]* nodes, 7 checks, 3 scoring items$' <<<"$out"
[ -s "$work/run/outbox/tender/tender.xml" ]
# A second run answers the overwrite question itself and succeeds again.
"$work/build/example_host" "$work/run" >/dev/null 2>&1
