#!/bin/sh
# Made once; the outputs are committed. Python's zlib writes a zlib stream of
# sample.txt at every level, and the zip command stores it deflated.
set -e
cd "$(dirname "$0")"
/usr/bin/python3 - <<'PY'
import zlib
data = open("sample.txt", "rb").read()
for level in range(10):
    open("sample.level%d.zlib" % level, "wb").write(zlib.compress(data, level))
PY
rm -f sample.zip
zip -X -q -9 sample.zip sample.txt
