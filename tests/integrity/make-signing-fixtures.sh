#!/usr/bin/env bash
# Makes the signed files the integrity tests check, in OUT:
#   pki/                       the test PKI (make-test-pki.sh)
#   unsigned.exe               a tiny 64-bit program (PE32+), never signed
#   signed.exe                 signed by "Nordak Labs" (test CA), SHA-256
#   signed-sha1.exe            the same with a SHA-1 digest
#   signed32.dll               a tiny 32-bit library (PE32), "Nordak Labs"
#   contoso.exe                signed by "Contoso Tools" (test CA)
#   nordak-lower.exe           signed by "nordak labs" (test CA)
#   tampered.exe               signed.exe with one byte of its code changed
#   untrusted.exe              leaf of an untrusted CA, the CA not included
#   untrusted-chain.exe        leaf and untrusted root both included
#   self-signed.exe            a self-signed code-signing certificate
#   expired.exe                certificate expired in 2021, no timestamp
#   server-usage.exe           certificate for server authentication only
#   revoked.exe                certificate listed in the test CA's CRL
#   timestamped.exe            signed.exe with an RFC 3161 timestamp of now
#   expired-timestamped.exe    expired certificate, timestamped in 2020 while valid
#   expired-late-timestamp.exe expired certificate, timestamped in 2022
#   expired-untrusted-tsa.exe  expired certificate, 2020 timestamp of an untrusted TSA
#   expired-lifetime.exe       expired lifetime-signing certificate, 2020 timestamp
#   unsigned.cab               MSZIP cabinet with a subfolder, never signed
#   signed.cab                 that cabinet signed by "Nordak Labs"
#   contoso.cab                signed by "Contoso Tools"
#   tampered.cab               signed.cab with one byte of its data changed
#   untrusted.cab              signed by the untrusted CA's leaf
#   plain.txt                  neither a program nor a cabinet
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

sign nordak.pem unsigned.exe signed.exe
sign nordak.pem unsigned.exe signed-sha1.exe -h sha1
sign nordak.pem unsigned32.dll signed32.dll
sign contoso.pem unsigned.exe contoso.exe
sign nordak-lower.pem unsigned.exe nordak-lower.exe
sign untrusted-leaf.pem unsigned.exe untrusted.exe
sign untrusted-chain.pem unsigned.exe untrusted-chain.exe
sign self-signed.pem unsigned.exe self-signed.exe
sign expired.pem unsigned.exe expired.exe
sign server-usage.pem unsigned.exe server-usage.exe
sign revoked.pem unsigned.exe revoked.exe
timestamp() {
  local tsa=$1 when=$2
  shift 2
  local at=()
  [ -n "$when" ] && at=(-TSA-time "$when")
  sign "$@" -TSA-certs "$pki/$tsa" -TSA-key "$pki/signer.key" "${at[@]}"
}
july_2020=1593561600
january_2022=1640995200
timestamp tsa.pem "" nordak.pem unsigned.exe timestamped.exe
timestamp tsa.pem $july_2020 expired.pem unsigned.exe expired-timestamped.exe
timestamp tsa.pem $january_2022 expired.pem unsigned.exe expired-late-timestamp.exe
timestamp untrusted-tsa.pem $july_2020 expired.pem unsigned.exe expired-untrusted-tsa.exe
timestamp tsa.pem $july_2020 expired-lifetime.pem unsigned.exe expired-lifetime.exe
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
