#!/usr/bin/env bash
# Makes a throw-away PKI in OUT (openssl only): a test root CA the tests
# trust (ca.pem), one nobody trusts (untrusted-ca.pem), and the code-signing
# and TLS certificates below, all for one key (signer.key). client.p12 holds
# the client certificate with that key (no password); client.serial its
# serial number in hexadecimal. The PKCS #12 file uses SHA-1 and 3DES, which
# every Windows certificate import reads.
set -euo pipefail
out=${1:?usage: make-test-pki.sh OUT}
mkdir -p "$out"
cd "$out"

cat > openssl.cnf <<'CNF'
[ca]
default_ca = test_ca
[test_ca]
dir = .
database = $dir/index.txt
new_certs_dir = $dir/issued
serial = $dir/serial
crlnumber = $dir/crlnumber
default_md = sha256
default_crl_days = 30
policy = any_name
unique_subject = no
copy_extensions = none
[any_name]
commonName = supplied
[req]
distinguished_name = req_name
prompt = no
[req_name]
CN = unused
[root_ca]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
CNF
# The extensions of a leaf: [SECTION] and its extended key usage; a
# self-signed one names no issuer key.
leaf() {
  printf '[%s]\nbasicConstraints = critical, CA:false\nkeyUsage = critical, digitalSignature\n' "$1"
  printf 'extendedKeyUsage = %s\nsubjectKeyIdentifier = hash\n' "$2"
  [ "$1" = self_signed ] || echo 'authorityKeyIdentifier = keyid'
}
{
  leaf code_signing codeSigning
  leaf lifetime_signing "codeSigning, 1.3.6.1.4.1.311.10.3.13"
  leaf server_usage serverAuth
  leaf time_stamping "critical, timeStamping"
  leaf self_signed codeSigning
  leaf tls_server serverAuth
  echo 'subjectAltName = IP:127.0.0.1, DNS:localhost'
  leaf tls_wrong_name serverAuth
  echo 'subjectAltName = DNS:wrong-name.invalid'
  leaf tls_client clientAuth
} >> openssl.cnf

new_key() { openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1" 2>/dev/null; }

# One certificate database per CA.
init_ca() {
  local name=$1 subject=$2
  mkdir -p "$name.db/issued"
  : > "$name.db/index.txt"
  echo 1000 > "$name.db/serial"
  echo 1000 > "$name.db/crlnumber"
  new_key "$name.key"
  # Valid from 2019, so timestamps of the past can chain to it.
  openssl req -new -config openssl.cnf -key "$name.key" -subj "/CN=$subject/O=Varnik Tests" \
    -out "$name.csr"
  (cd "$name.db" && openssl ca -batch -selfsign -config ../openssl.cnf -keyfile "../$name.key" \
    -extensions root_ca -subj "/CN=$subject/O=Varnik Tests" -in "../$name.csr" -out "../$name.pem" \
    -notext -startdate 20190101000000Z -enddate 20360101000000Z 2>/dev/null)
  rm -f "$name.csr"
}

# issue CA OUT SUBJECT EXTENSIONS [openssl ca options...]
issue() {
  local ca=$1 cert=$2 subject=$3 extensions=$4
  shift 4
  openssl req -new -config openssl.cnf -key signer.key -subj "/CN=$subject" -out "$cert.csr"
  (cd "$ca.db" && openssl ca -batch -config ../openssl.cnf -cert "../$ca.pem" -keyfile "../$ca.key" \
    -extensions "$extensions" -in "../$cert.csr" -out "../$cert.pem" -notext "$@" 2>/dev/null)
  rm -f "$cert.csr"
}

new_key signer.key
init_ca ca "Varnik Test Root CA"
init_ca untrusted-ca "Untrusted Test Root CA"

issue ca nordak "Nordak Labs" code_signing -days 365
issue ca contoso "Contoso Tools" code_signing -days 365
issue ca nordak-lower "nordak labs" code_signing -days 365
issue ca expired "Nordak Labs" code_signing -startdate 20200101000000Z -enddate 20210101000000Z
issue ca expired-lifetime "Nordak Labs" lifetime_signing -startdate 20200101000000Z -enddate 20210101000000Z
issue ca server-usage "Nordak Labs" server_usage -days 365
issue ca revoked "Nordak Labs" code_signing -days 365  # listed in crl.pem below
issue untrusted-ca untrusted-leaf "Nordak Labs" code_signing -days 365
issue ca tsa "Varnik Test TSA" time_stamping -startdate 20190101000000Z -enddate 20360101000000Z
issue untrusted-ca untrusted-tsa "Varnik Test TSA" time_stamping -startdate 20190101000000Z -enddate 20360101000000Z
cat untrusted-leaf.pem untrusted-ca.pem > untrusted-chain.pem
# TLS: the servers of the sample platform and the client they may ask for.
issue ca tls-server "127.0.0.1" tls_server -days 365
issue ca tls-wrong-name "wrong-name.invalid" tls_wrong_name -days 365
issue ca tls-expired "127.0.0.1" tls_server -startdate 20200101000000Z -enddate 20210101000000Z
issue untrusted-ca tls-untrusted "127.0.0.1" tls_server -days 365
issue ca tls-client "Varnik Test Client" tls_client -days 365
openssl pkcs12 -export -in tls-client.pem -inkey signer.key -certfile ca.pem -name "Varnik Test Client" \
  -keypbe PBE-SHA1-3DES -certpbe PBE-SHA1-3DES -macalg sha1 -passout pass: -out client.p12
openssl x509 -in tls-client.pem -noout -serial | sed 's/^serial=//' > client.serial

(cd ca.db && openssl ca -config ../openssl.cnf -cert ../ca.pem -keyfile ../ca.key \
  -revoke ../revoked.pem -crl_reason keyCompromise 2>/dev/null &&
  openssl ca -config ../openssl.cnf -cert ../ca.pem -keyfile ../ca.key -gencrl -out ../crl.pem 2>/dev/null)

openssl req -new -x509 -config openssl.cnf -extensions self_signed -key signer.key \
  -subj "/CN=Nordak Labs" -days 365 -sha256 -out self-signed.pem
