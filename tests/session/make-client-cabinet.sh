#!/usr/bin/env bash
# Packs the launch tests' client program into OUT/client.cab under the name
# MEMBER and signs the cabinet with the test PKI's "Nordak Labs"
# certificate, the way a deployment ships a program (a native program on
# Linux can only carry a signature inside a cabinet). gcab stores no execute
# permission: the launch rule gives it.
# Needs gcab and osslsigncode; PKI is the folder make-test-pki.sh made.
set -euo pipefail
pki=${1:?usage: make-client-cabinet.sh PKI CLIENT MEMBER OUT}
client=${2:?usage: make-client-cabinet.sh PKI CLIENT MEMBER OUT}
member=${3:?usage: make-client-cabinet.sh PKI CLIENT MEMBER OUT}
out=${4:?usage: make-client-cabinet.sh PKI CLIENT MEMBER OUT}

rm -rf "$out"
mkdir -p "$out/stage"
cp "$client" "$out/stage/$member"
(cd "$out/stage" && gcab -c -z ../unsigned.cab "$member")
osslsigncode sign -certs "$pki/nordak.pem" -key "$pki/signer.key" -n "Varnik test client" \
  -h sha256 -in "$out/unsigned.cab" -out "$out/client.cab" >/dev/null
rm -rf "$out/stage" "$out/unsigned.cab"
