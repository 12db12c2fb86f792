#!/usr/bin/env bash
# The main job: installs what is missing, builds the packages and both builds, and shows what
# the setup program carries: the entries of its setup package, and the release checks over the
# shipped data.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-machine.sh
scripts/build.sh

echo
echo "Setup package build/native/packages/setup.pkg ($(stat -c %s build/native/packages/setup.pkg) bytes):"
echo "idx       size attributes  created              last access          last write           name"
build/native/bin/qxpack list build/native/packages/setup.pkg
echo
if build/native/bin/qxpack check data/setup/setup.manifest; then
  echo "qxpack check: the shipped data is clean."
fi
echo
echo "Windows executables: build/win32/bin/   Packing tool: build/native/bin/qxpack"
