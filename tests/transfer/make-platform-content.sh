#!/usr/bin/env bash
# Lays out the content the transfer tests serve from the sample platform, in
# OUT (OUT/wnbin/... is served as /wnbin/...): small libraries with version
# resources (signed by the platform at start), one left unsigned, the
# server's start script and version replies, good and bad.
# Needs $CC64 and $WINDRES64 (the 64-bit MinGW compiler and windres) and gcab.
set -euo pipefail
out=${1:?usage: make-platform-content.sh OUT}
cc=${CC64:-x86_64-w64-mingw32-gcc}
windres=${WINDRES64:-x86_64-w64-mingw32-windres}
# The class identifier the tests expect in the start script.
class_id=${VARNIK_TEST_CLASS_ID:-7A1C3E52-9B4D-4F60-8E21-5D3C0B9A6F17}

rm -rf "$out"
mkdir -p "$out/wnbin/components" "$out/wnbin/unsigned" "$out/work"
out=$(cd "$out" && pwd)
work=$out/work

# library NAME VERSION PAYLOAD_BYTES: a DLL with that file version and a
# read-only section of random bytes, so its size can be chosen.
library() {
  local name=$1 version=$2 payload=$3
  head -c "$payload" /dev/urandom > "$work/$name.payload"
  cat > "$work/$name.c" <<C
__asm__(".section .payload,\"dr\"\n.incbin \"$work/$name.payload\"\n.text\n");
__declspec(dllexport) int FixtureAnswer(void) { return 42; }
C
  cat > "$work/$name.rc" <<RC
#include <winver.h>
VS_VERSION_INFO VERSIONINFO
FILEVERSION ${version//./,}
PRODUCTVERSION ${version//./,}
FILETYPE VFT_DLL
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904b0"
    BEGIN
      VALUE "FileVersion", "$version"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
RC
  "$windres" --preprocessor="$cc" --preprocessor-arg=-E --preprocessor-arg=-xc-header \
    --preprocessor-arg=-DRC_INVOKED -O coff -i "$work/$name.rc" -o "$work/$name.res.o"
  "$cc" -shared -s -O2 -o "$work/$name.dll" "$work/$name.c" "$work/$name.res.o"
}

library component 1.2.3.4 150001
library component-v2 1.2.3.5 150001
library large 1.0.0.1 3000001
cp "$work/component.dll" "$out/wnbin/components/component.dll"
cp "$work/component-v2.dll" "$out/wnbin/components/component-v2.dll"
cp "$work/large.dll" "$out/wnbin/components/large.dll"
cp "$work/component.dll" "$out/wnbin/unsigned/component.dll"
printf '[Setup]\r\nName=Transfer test\r\n' > "$work/setup.ini"
(cd "$work" && gcab -c -z "$out/wnbin/components/package.cab" setup.ini)
printf 'plain text\r\n' > "$out/wnbin/hello.txt"
mkdir -p "$out/wnbin/private"
printf 'private text\r\n' > "$out/wnbin/private/hello.txt"

# Server replies: the start script names the class in upper case on a line
# of its own; the cache version comes with blanks around it.
reply() {
  mkdir -p "$(dirname "$out/wnbin/$1")"
  printf "$2" > "$out/wnbin/$1"
}
reply start_a.js "// platform start script\nvar loaderClass = \"{$class_id}\";\nstart();\n"
reply servlet/tkservlet.CacheVersion "  CV1234  \n"
reply wnservlet.ServerVersion "7.1.0\r\n"
reply bad/start_a.js "// no class named here\nstart();\n"
reply bad/servlet/tkservlet.CacheVersion "1234\n"
reply bad/wnservlet.ServerVersion "force_separate_client_deployment\n"
reply unsafe/servlet/tkservlet.CacheVersion "CV12&admin=1\n"
reply unsafe/wnservlet.ServerVersion '..\\..\\Windows\n'
reply empty/servlet/tkservlet.CacheVersion ""
reply empty/wnservlet.ServerVersion ""
rm -rf "$work"
