#!/usr/bin/env bash
# Makes a release: build/release/setup.exe and build/release/SHA256SUMS, from builds made afresh
# in build/release-build/ out of the committed sources.
#
#   QX_SIGN_CERT           PEM: the code-signing certificate, then the rest of its chain
#   QX_SIGN_KEY            PEM: its private key, unencrypted
#   QX_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamping server to ask as well (optional)
#   QX_SIGN_CAFILE         the certificates the signatures are verified against at the end
#                          (default: the system's, /etc/ssl/certs/ca-certificates.crt)
#
# With the certificate and key, quintaxel.exe and uninstall.exe are signed before they are packed
# into the payload, and setup.exe after it is linked: SHA-256 digests, signed at
# SOURCE_DATE_EPOCH (default: the last commit's time), so two releases of one commit with one
# RSA key are byte-identical (a time stamp, asked of a server, is not). Without them the same
# files are made unsigned. The release ends by reading back what it made: the signatures, the two
# packages that setup.exe carries and the programs inside the payload.
#
# Uncommitted changes to tracked files stop the release (QX_RELEASE_ALLOW_CHANGES=1 lets it go
# on). QX_RELEASE_REUSE=DIR takes the builds DIR/native and DIR/win32 that scripts/build.sh made
# instead of fresh ones, for the tests (QX_RELEASE_WINDOWS_BUILD=win64 takes DIR/win64 instead, on
# a machine that runs no 32-bit program); QX_RELEASE_OUT names another output folder.
set -euo pipefail
cd "$(dirname "$0")/.."

out=${QX_RELEASE_OUT:-build/release}
die() {
  echo "release: $*" >&2
  exit 1
}

# Nothing of an earlier release stays to be taken for this one, whatever happens below.
mkdir -p "$out"
rm -f "$out/setup.exe" "$out/SHA256SUMS"

# The signing inputs are checked before anything is built, each failure in one line.
check_signing_inputs() {
  [ -n "${QX_SIGN_CERT:-}" ] || die "QX_SIGN_KEY is set without QX_SIGN_CERT"
  [ -n "${QX_SIGN_KEY:-}" ] || die "QX_SIGN_CERT is set without QX_SIGN_KEY"
  command -v osslsigncode >/dev/null || die "osslsigncode is missing (scripts/setup-machine.sh installs it)"
  [ -f "$QX_SIGN_CERT" ] && [ -r "$QX_SIGN_CERT" ] || die "$QX_SIGN_CERT: no readable certificate file"
  [ -f "$QX_SIGN_KEY" ] && [ -r "$QX_SIGN_KEY" ] || die "$QX_SIGN_KEY: no readable private key file"
  local certificate_key private_key
  certificate_key=$(openssl x509 -in "$QX_SIGN_CERT" -noout -pubkey 2>/dev/null) ||
    die "$QX_SIGN_CERT: not a PEM certificate"
  private_key=$(openssl pkey -in "$QX_SIGN_KEY" -passin pass: -pubout 2>/dev/null </dev/null) ||
    die "$QX_SIGN_KEY: not an unencrypted PEM private key"
  [ "$certificate_key" = "$private_key" ] ||
    die "$QX_SIGN_KEY: not the private key of the certificate in $QX_SIGN_CERT"
  # Windows takes a certificate for code signing only when its extended key usage says so.
  openssl x509 -in "$QX_SIGN_CERT" -noout -ext extendedKeyUsage 2>/dev/null | grep -q 'Code Signing' ||
    die "$QX_SIGN_CERT: not a code-signing certificate (its extended key usage lacks Code Signing)"
}

signing=
if [ -n "${QX_SIGN_CERT:-}${QX_SIGN_KEY:-}" ]; then
  check_signing_inputs
  signing=1
  echo "release: signing as $(openssl x509 -in "$QX_SIGN_CERT" -noout -subject -nameopt RFC2253 | sed 's/^subject=//')"
else
  echo "release: QX_SIGN_CERT and QX_SIGN_KEY are not set; this release is unsigned"
fi

if [ -z "${QX_RELEASE_ALLOW_CHANGES:-}" ] && git rev-parse --git-dir >/dev/null 2>&1 &&
  [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  die "tracked files have uncommitted changes; a release is made from a commit (QX_RELEASE_ALLOW_CHANGES=1 overrides)"
fi
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 0)
fi
export SOURCE_DATE_EPOCH

log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Runs a step quietly; when it fails, shows the end of what it said and stops.
step() {
  "$@" >>"$log" 2>&1 || {
    tail -n 30 "$log" >&2
    die "failed: $*"
  }
}

jobs=$(nproc)
if [ -n "${QX_RELEASE_REUSE:-}" ]; then
  native=$QX_RELEASE_REUSE/native
  win32=$QX_RELEASE_REUSE/${QX_RELEASE_WINDOWS_BUILD:-win32}
  [ -f "$native/CMakeCache.txt" ] && [ -f "$win32/CMakeCache.txt" ] ||
    die "$QX_RELEASE_REUSE: no builds of scripts/build.sh there"
else
  native=build/release-build/native
  win32=build/release-build/win32
  rm -rf build/release-build
  step cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release
  step cmake -S . -B "$win32" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-i686-mingw32.cmake" \
    -DQXPACK="$PWD/$native/bin/qxpack"
fi
qxpack=$native/bin/qxpack
stage=$win32/release-stage  # where the setup_release target takes its packages from
step cmake --build "$native" -j "$jobs" --target qxpack
step cmake --build "$win32" -j "$jobs" --target quintaxel uninstall
rm -rf "$stage"
mkdir -p "$stage/read-back"

sign() {  # sign INPUT OUTPUT DESCRIPTION: a signed copy, or a plain one for an unsigned release
  if [ -z "$signing" ]; then
    cp "$1" "$2"
    return
  fi
  local args=(sign -certs "$QX_SIGN_CERT" -key "$QX_SIGN_KEY" -h sha256 -time "$SOURCE_DATE_EPOCH"
    -n "$3")
  [ -z "${QX_SIGN_TIMESTAMP_URL:-}" ] || args+=(-ts "$QX_SIGN_TIMESTAMP_URL")
  step osslsigncode "${args[@]}" -in "$1" -out "$2"
}

sign "$win32/bin/quintaxel.exe" "$stage/quintaxel.exe" "Quintaxel"
sign "$win32/bin/uninstall.exe" "$stage/uninstall.exe" "Quintaxel uninstaller"
step "$qxpack" check --build "$stage" data/setup/setup.manifest product/payload.manifest
step "$qxpack" pack data/setup/setup.manifest "$stage/setup.pkg"
step "$qxpack" pack --build "$stage" product/payload.manifest "$stage/payload.pkg"
step cmake --build "$win32" -j "$jobs" --target setup_release
sign "$win32/bin/setup_release.exe" "$stage/setup.exe" "Quintaxel setup"

# What was made, read back: the packages as setup.exe carries them, and the programs out of that
# payload, not the copies packed a moment ago.
verify_signature() {  # verify_signature FILE WHAT
  local ca=()
  [ -z "${QX_SIGN_CAFILE:-}" ] || ca=(-CAfile "$QX_SIGN_CAFILE")
  osslsigncode verify "${ca[@]}" -in "$1" >>"$log" 2>&1 ||
    die "$2: the signature does not verify${QX_SIGN_CAFILE:+ against $QX_SIGN_CAFILE}"
}
back=$stage/read-back
for id in 1 2; do
  package=$([ $id = 1 ] && echo setup || echo payload)
  step perl scripts/read-rcdata.pl "$stage/setup.exe" $id "$back/$package.pkg"
  cmp -s "$back/$package.pkg" "$stage/$package.pkg" ||
    die "setup.exe: resource $id is not the $package package that was packed"
  step "$qxpack" list "$back/$package.pkg"
done
for program in uninstall quintaxel; do
  step "$qxpack" extract "$back/payload.pkg" "$program.exe" "$back/$program.exe"
  cmp -s "$back/$program.exe" "$stage/$program.exe" || die "the payload's $program.exe is not the one packed"
  [ -z "$signing" ] || verify_signature "$back/$program.exe" "the packed $program.exe"
done
[ -z "$signing" ] || verify_signature "$stage/setup.exe" "setup.exe"

cp "$stage/setup.exe" "$out/setup.exe.part"
mv "$out/setup.exe.part" "$out/setup.exe"
(cd "$out" && sha256sum setup.exe >SHA256SUMS.part && mv SHA256SUMS.part SHA256SUMS)
if [ -n "$signing" ]; then
  echo "release: signatures verified: setup.exe and the uninstall.exe and quintaxel.exe it carries"
fi
echo "release: both packages read back from setup.exe as packed"
echo "release: $out/setup.exe, $(stat -c %s "$out/setup.exe") bytes, SHA-256 $(cut -d' ' -f1 "$out/SHA256SUMS")"
