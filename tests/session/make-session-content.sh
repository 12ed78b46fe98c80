#!/usr/bin/env bash
# Lays out the content the session tests serve from the sample platform, in
# OUT (OUT/wnbin/... is served as /wnbin/...): the client's components below
# wnbin/client, small libraries with a version resource that the platform
# signs when it starts.
# Needs $CC64 and $WINDRES64 (the 64-bit MinGW compiler and windres).
set -euo pipefail
out=${1:?usage: make-session-content.sh OUT}
cc=${CC64:-x86_64-w64-mingw32-gcc}
windres=${WINDRES64:-x86_64-w64-mingw32-windres}

rm -rf "$out"
mkdir -p "$out/wnbin/client" "$out/work"
out=$(cd "$out" && pwd)
work=$out/work

# A library of version 1.0.0.1 with 64 KiB of payload, so a transfer reports
# progress more than once.
head -c 65536 /dev/urandom > "$work/payload"
cat > "$work/component.c" <<C
__asm__(".section .payload,\"dr\"\n.incbin \"$work/payload\"\n.text\n");
__declspec(dllexport) int ComponentAnswer(void) { return 42; }
C
cat > "$work/component.rc" <<'RC'
#include <winver.h>
VS_VERSION_INFO VERSIONINFO
FILEVERSION 1,0,0,1
PRODUCTVERSION 1,0,0,1
FILETYPE VFT_DLL
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904b0"
    BEGIN
      VALUE "FileVersion", "1.0.0.1"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
RC
"$windres" --preprocessor="$cc" --preprocessor-arg=-E --preprocessor-arg=-xc-header \
  --preprocessor-arg=-DRC_INVOKED -O coff -i "$work/component.rc" -o "$work/component.res.o"
"$cc" -shared -s -O2 -o "$work/component.dll" "$work/component.c" "$work/component.res.o"
for name in first second third fourth; do
  cp "$work/component.dll" "$out/wnbin/client/$name.dll"
done
rm -rf "$work"
