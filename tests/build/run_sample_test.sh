#!/usr/bin/env bash
# scripts/run-sample as a person without root rights runs it, who has Wine,
# mingw-w64, Xvfb and ImageMagick but nothing that only the tests use
# (clang-14, GoogleTest, ...): it asks for nothing and runs the sample through.
#   run_sample_test.sh BUILD      BUILD: the win32 build tree
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The repository but for its build folder, which holds the given build and
# gets the sample's machine.
mkdir -p "$tmp/tree/build" "$tmp/bin"
for entry in "$root"/* "$root"/.[!.]*; do
    [ "$(basename "$entry")" = build ] || [ "$(basename "$entry")" = .git ] ||
        ln -s "$entry" "$tmp/tree/"
done
ln -s "$build" "$tmp/tree/build/win32"

# Not root, and only these packages installed.
have=" cmake make mingw-w64 wine wine32:i386 wine64 xvfb imagemagick python3 "
cat >"$tmp/bin/id" <<'SH'
#!/bin/sh
if [ "$1" = -u ]; then echo 1000; else exec /usr/bin/id "$@"; fi
SH
cat >"$tmp/bin/dpkg-query" <<SH
#!/bin/sh
for package; do :; done
case "$have" in *" \$package "*) exec /usr/bin/dpkg-query "\$@" ;; esac
exit 1
SH
chmod +x "$tmp/bin/id" "$tmp/bin/dpkg-query"

env -u DISPLAY PATH="$tmp/bin:$PATH" "$tmp/tree/scripts/run-sample" >"$tmp/out.txt" 2>&1
status=$?
if [ $status -ne 0 ] || ! grep -qx "Setup.exe exit code: 0" "$tmp/out.txt"; then
    echo "FAIL run-sample ended with $status:"
    tail -n 20 "$tmp/out.txt"
    exit 1
fi
