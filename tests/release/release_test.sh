#!/usr/bin/env bash
# scripts/release.sh signing with a CA and a code-signing certificate made here for the run: two
# signed releases of one commit are byte-identical and verify against that CA (setup.exe and the
# uninstall.exe it carries), the signed setup.exe starts under Wine and shows its first page, and
# bad signing inputs stop the release with one line and no setup.exe left behind.
#
#   release_test.sh BUILDS [WINDOWS]   (the folder of the native and Windows builds, reused for the
#   release; WINDOWS is the Windows build signed and started, win32 unless a machine that runs no
#   32-bit program names its 64-bit build, win64)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
builds=$(cd "$1" && pwd)
windows=${2:-win32}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

certificate() {  # certificate NAME EXTENSIONS: NAME.key and NAME.pem, issued by the CA
  openssl req -newkey rsa:2048 -nodes -keyout "$work/$1.key" -out "$work/$1.csr" \
    -subj "/O=Vorlen Software/CN=$1" 2>/dev/null &&
    printf '%b' "$2" >"$work/$1.ext" &&
    openssl x509 -req -in "$work/$1.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
      -days 2 -extfile "$work/$1.ext" -out "$work/$1.pem" 2>/dev/null
}
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/ca.key" -out "$work/ca.pem" -days 2 \
  -subj "/CN=Release test CA" -addext basicConstraints=critical,CA:TRUE \
  -addext keyUsage=critical,keyCertSign 2>/dev/null || exit 1
certificate signer 'keyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' || exit 1
certificate server 'extendedKeyUsage=serverAuth\n' || exit 1
cat "$work/signer.pem" "$work/ca.pem" >"$work/chain.pem"

release() {  # release OUTPUT CERTIFICATE KEY: the release, on the builds the test run made
  QX_RELEASE_REUSE=$builds QX_RELEASE_WINDOWS_BUILD=$windows QX_RELEASE_ALLOW_CHANGES=1 QX_RELEASE_OUT=$1 QX_SIGN_CERT=$2 \
    QX_SIGN_KEY=$3 QX_SIGN_CAFILE=$work/ca.pem "$root/scripts/release.sh" >"$work/said" 2>&1
}

verifies() {  # verifies FILE: its signature holds against the test's CA
  osslsigncode verify -CAfile "$work/ca.pem" -in "$1" >"$work/verify.log" 2>&1 ||
    fail "$1 does not verify against the CA: $(tail -n 3 "$work/verify.log")"
}

for run in one two; do
  release "$work/$run" "$work/chain.pem" "$work/signer.key" ||
    fail "the signed release ($run) failed: $(cat "$work/said")"
done
cmp -s "$work/one/setup.exe" "$work/two/setup.exe" ||
  fail "two signed releases of one commit differ"
(cd "$work/one" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match setup.exe"

verifies "$work/one/setup.exe"
perl "$root/scripts/read-rcdata.pl" "$work/one/setup.exe" 2 "$work/payload.pkg" &&
  "$builds/native/bin/qxpack" extract "$work/payload.pkg" uninstall.exe "$work/uninstall.exe" ||
  fail "no uninstall.exe in the payload of the signed setup.exe"
verifies "$work/uninstall.exe"

# The signed setup.exe shows page 1 under Wine, walked by the demo's walkthrough beside it.
cp "$builds/$windows/bin/walkthrough.exe" "$work/one/"
mkdir "$work/shots"
"$root/cmake/wine-run.sh" "$work/one/walkthrough.exe" "$(winepath -w "$work/shots" 2>/dev/null)" \
  --pages 1 >"$work/walk.log" 2>&1 || fail "the signed setup.exe did not show page 1: $(cat "$work/walk.log")"
[ -s "$work/shots/page1.bmp" ] || fail "no picture of page 1 of the signed setup.exe"

# Each bad input stops a release made over the good one, which is gone afterwards.
while IFS='|' read -r what cert key; do
  release "$work/one" "${cert:+$work/$cert}" "${key:+$work/$key}" &&
    fail "$what: the release went on"
  [ "$(wc -l <"$work/said")" = 1 ] || fail "$what: not one line: $(cat "$work/said")"
  [ ! -e "$work/one/setup.exe" ] && [ ! -e "$work/one/SHA256SUMS" ] ||
    fail "$what: a release was left in the output folder"
done <<'CASES'
a key that is not the certificate's|chain.pem|server.key
a certificate for web servers|server.pem|server.key
a key file that is not there|chain.pem|missing.key
a certificate without its key|chain.pem|
CASES

[ "$failures" = 0 ] && echo "release tests passed"
exit $((failures > 0))
