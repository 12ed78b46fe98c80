#!/usr/bin/env bash
# Makes the signed files the integrity tests check, in OUT: the test PKI
# (pki/, make-test-pki.sh), a tiny 64-bit program (PE32+) and 32-bit library
# (PE32), an MSZIP cabinet with a subfolder, signed as the lines below say,
# and plain.txt, which is neither a program nor a cabinet.
# Needs openssl, osslsigncode, gcab and the MinGW C compilers ($CC64, $CC32).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:?usage: make-signing-fixtures.sh OUT}
cc64=${CC64:-x86_64-w64-mingw32-gcc}
cc32=${CC32:-i686-w64-mingw32-gcc}

rm -rf "$out"
mkdir -p "$out"
"$here/make-test-pki.sh" "$out/pki"
cd "$out"
pki=pki

cat > tiny.c <<'C'
/* Smallest program and library worth signing. */
#ifdef FIXTURE_DLL
__declspec(dllexport) int FixtureValue(void) { return 42; }
#else
int main(void) { return 0; }
#endif
C
"$cc64" -O2 -s -o unsigned.exe tiny.c
"$cc32" -O2 -s -shared -DFIXTURE_DLL -o unsigned32.dll tiny.c

sign() {
  local certs=$1 in=$2 signed=$3
  shift 3
  osslsigncode sign -certs "$pki/$certs" -key "$pki/signer.key" -n "Varnik fixture" \
    -h sha256 "$@" -in "$in" -out "$signed" >/dev/null
}

# Flips one byte at OFFSET of FILE into OUT.
flip_byte() {
  local file=$1 offset=$2 result=$3
  cp "$file" "$result"
  local old
  old=$(od -An -tu1 -j "$offset" -N1 "$file" | tr -d ' ')
  printf "$(printf '\\%03o' $(((old + 1) % 256)))" |
    dd of="$result" bs=1 seek="$offset" conv=notrunc status=none
}

sign nordak.pem unsigned.exe signed.exe                # "Nordak Labs" of the test CA, SHA-256
sign nordak.pem unsigned.exe signed-sha1.exe -h sha1
sign nordak.pem unsigned32.dll signed32.dll
sign contoso.pem unsigned.exe contoso.exe              # "Contoso Tools"
sign nordak-lower.pem unsigned.exe nordak-lower.exe    # "nordak labs"
sign untrusted-leaf.pem unsigned.exe untrusted.exe     # an untrusted CA's leaf, the CA left out
sign untrusted-chain.pem unsigned.exe untrusted-chain.exe  # ... and with that CA included
sign self-signed.pem unsigned.exe self-signed.exe
sign expired.pem unsigned.exe expired.exe              # expired in 2021, no timestamp
sign server-usage.pem unsigned.exe server-usage.exe    # server authentication only
sign revoked.pem unsigned.exe revoked.exe              # listed in the test CA's CRL
timestamp() {
  local tsa=$1 when=$2
  shift 2
  local at=()
  [ -n "$when" ] && at=(-TSA-time "$when")
  sign "$@" -TSA-certs "$pki/$tsa" -TSA-key "$pki/signer.key" "${at[@]}"
}
july_2020=1593561600
january_2022=1640995200
timestamp tsa.pem "" nordak.pem unsigned.exe timestamped.exe  # RFC 3161, now
timestamp tsa.pem $july_2020 expired.pem unsigned.exe expired-timestamped.exe  # while valid
timestamp tsa.pem $january_2022 expired.pem unsigned.exe expired-late-timestamp.exe
timestamp untrusted-tsa.pem $july_2020 expired.pem unsigned.exe expired-untrusted-tsa.exe
timestamp tsa.pem $july_2020 expired-lifetime.pem unsigned.exe expired-lifetime.exe  # lifetime signing
# A byte in the middle of the code section.
flip_byte signed.exe 2000 tampered.exe

mkdir -p content/sub/deeper
printf '[Setup]\r\nName=Fixture\r\n' > content/setup.ini
head -c 20000 /dev/urandom | od -An -tx1 > content/sub/data.txt
printf 'deep\r\n' > content/sub/deeper/note.txt
(cd content && gcab -c -z ../unsigned.cab setup.ini sub/data.txt sub/deeper/note.txt)
sign nordak.pem unsigned.cab signed.cab
sign contoso.pem unsigned.cab contoso.cab
sign untrusted-leaf.pem unsigned.cab untrusted.cab
# A byte inside the compressed data, well past the headers.
flip_byte signed.cab 300 tampered.cab

printf 'not a signed file\r\n' > plain.txt
