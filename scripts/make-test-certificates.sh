#!/usr/bin/env bash
# Makes the certificates of the https tests in the folder named: a test certificate authority
# (authority.pem) and two server certificates it signs, "server" for 127.0.0.1 and localhost and
# "stranger" for another name (.pem and .key each). The tests hand the authority to the client
# themselves; nothing here is installed or trusted anywhere else.
set -euo pipefail
out=$1
openssl=${2:-openssl}
mkdir -p "$out"
cd "$out"

key() {
    "$openssl" genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out "$1" 2>/dev/null
}

key authority.key
"$openssl" req -x509 -new -key authority.key -out authority.pem -days 3650 \
    -subj "/CN=tamsor test authority" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"

sign() {
    local name=$1 names=$2
    key "$name.key"
    "$openssl" req -new -key "$name.key" -out "$name.csr" -subj "/CN=$name"
    printf 'basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=%s\n' \
        "$names" >"$name.ext"
    "$openssl" x509 -req -in "$name.csr" -CA authority.pem -CAkey authority.key \
        -CAcreateserial -days 3650 -extfile "$name.ext" -out "$name.pem" 2>/dev/null
    rm -f "$name.csr" "$name.ext"
}

sign server "IP:127.0.0.1,DNS:localhost"
sign stranger "DNS:stranger.invalid"
