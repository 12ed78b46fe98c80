#!/usr/bin/env bash
# Lays out a platform's server root for a whole deployment in OUT (served as
# /wnbin/<site>/...): the start script naming the Loader's class, the
# cache-version and server-version replies, and setup/VuvoViziz_setup.cab,
# a descriptor of COUNT components of SIZE bytes each, whose libraries lie
# beside it (setup/libNNNN.dll). The sample platform signs the libraries and
# the cabinet when it starts.
#   make-deployment-content.sh OUT SITE COUNT SIZE
set -euo pipefail
out=${1:?usage: make-deployment-content.sh OUT SITE COUNT SIZE}
site=${2:?site}
count=${3:?count}
size=${4:?size}
cc=${CC64:-x86_64-w64-mingw32-gcc}

root="$out/wnbin/$site"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$root/setup" "$root/servlet"

printf '// platform start script\nvar loaderClass = "{233FFEB5-A392-473D-B886-7D4D080A0EFC}";\nstart();\n' \
  > "$root/start_a.js"
printf 'CV4242\n' > "$root/servlet/tkservlet.CacheVersion"
printf '8.0.1\r\n' > "$root/wnservlet.ServerVersion"

# One library of about SIZE bytes once signed (the signature adds about
# 12 KiB), copied under COUNT names.
payload=$((size > 16384 ? size - 12288 : 4096))
head -c "$payload" /dev/urandom > "$work/payload.bin"
cat > "$work/library.c" <<C
__asm__(".section .payload,\"dr\"\n.incbin \"$work/payload.bin\"\n.text\n");
__declspec(dllexport) int BenchAnswer(void) { return 42; }
C
"$cc" -shared -s -O2 -o "$work/library.dll" "$work/library.c"

{
  printf '[Common Data]\r\nDestination=%%AppData%%\\QX\\Bench-%s\r\n\r\n' "$site"
  for i in $(seq -f '%04g' 1 "$count"); do
    cp "$work/library.dll" "$root/setup/lib$i.dll"
    printf '[File_Lib%s]\r\nURLName=%%URL%%/lib%s.dll\r\nShortName=lib%s.dll\r\n' "$i" "$i" "$i"
    # The first is the client: a control, which the posix host cannot host,
    # so the session ends ready once everything is in place.
    [ "$i" = 0001 ] && printf 'Main=Y\r\nProgId=Bench.Client\r\n'
    printf '\r\n'
  done
} > "$work/VuvoViziz_setup.ini"
(cd "$work" && gcab -c -z "$root/setup/VuvoViziz_setup.cab" VuvoViziz_setup.ini)
