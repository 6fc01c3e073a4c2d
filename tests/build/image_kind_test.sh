#!/usr/bin/env bash
# Which image rules a Windows build gets for each spelling of its processor:
# every 32-bit build the shipped image's, and an unknown processor none at all.
#   image_kind_test.sh    exit 0 when every row holds
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
probe=$(mktemp --suffix=.cmake)
trap 'rm -f "$probe"' EXIT
cat >"$probe" <<CMAKE
include($root/cmake/win98_image_kind.cmake)
win98_image_kind("\${PROCESSOR}" "\${POINTER_SIZE}" kind)
message("\${kind}")
CMAKE

failed=0
# row name | processor | pointer size | kind, or "stops" for a failed configure
while IFS='|' read -r name processor size expected; do
    got=$(cmake -DPROCESSOR="$processor" -DPOINTER_SIZE="$size" -P "$probe" 2>&1) || got=stops
    if [ "$got" != "$expected" ]; then
        echo "FAIL $name: got '$got', expected '$expected'"
        failed=1
    fi
done <<'ROWS'
the toolchain's i686|i686|4|SHIPPED
i386, as some toolchain files spell it|i386|4|SHIPPED
i586|i586|4|SHIPPED
x86, as Windows names it|x86|4|SHIPPED
X86 in capitals|X86|4|SHIPPED
the x86_64 twin|x86_64|8|TWIN
AMD64, as Windows names it|AMD64|8|TWIN
an ARM build|armv7|4|stops
x86_64 with 4-byte pointers|x86_64|4|stops
no processor named||4|stops
a processor name with no pointer size|i686||stops
ROWS
exit $failed
