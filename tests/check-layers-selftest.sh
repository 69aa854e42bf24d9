#!/usr/bin/env bash
# The layer check must refuse an include from a layer above and accept one
# from below, on a small tree that uses the real layer table.
set -euo pipefail
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/cmake" "$tmp/core" "$tmp/zip" "$tmp/platform/runtime"
cp "$src/cmake/layers.txt" "$tmp/cmake/"
printf '#include "platform/runtime/A.h"\n' > "$tmp/core/Good.cpp"
printf '#include "core/Good.h"\n' > "$tmp/zip/AlsoGood.cpp"
"$src/scripts/check-layers" "$tmp" || { echo "refused a tree that keeps the order"; exit 1; }
printf '#include "core/Good.h"\n  #  include "zip/Zip_utils.h"\n' > "$tmp/core/Bad.cpp"
if out=$("$src/scripts/check-layers" "$tmp" 2>&1); then
  echo "accepted core including zip"; exit 1
fi
grep -q 'core/Bad.cpp:2: layer core includes zip/Zip_utils.h of layer zip' <<<"$out" ||
  { echo "unexpected report: $out"; exit 1; }
# The exceptions file lets one named include through.
printf 'core/Bad.cpp zip/Zip_utils.h\n' > "$tmp/cmake/layer-exceptions.txt"
"$src/scripts/check-layers" "$tmp" || { echo "ignored a listed exception"; exit 1; }
echo ok
