#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine (as root). Quick when all of it
# is there already: apt is only called for what is missing.
set -euo pipefail

packages=(
  cmake g++ clang libclang-rt-14-dev libgtest-dev googletest
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 xvfb fonts-wine
  locales imagemagick x11-utils bc
  osslsigncode openssl
)

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done

# A mirror being synchronised can send one index of a wrong size: apt-get update then fails
# although every other index arrived. It is tried again a few times; after that the install goes
# on with the indexes there are, and a package that still cannot be installed fails with apt's
# own message.
update_indexes() {
  local try
  for try in 1 2 3; do
    apt-get update -qq && return 0
    [ "$try" = 3 ] || sleep "${QX_APT_RETRY_PAUSE:-15}"
  done
  echo "setup-machine.sh: some package indexes could not be downloaded; going on with those there are"
}

install_packages() {
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
  update_indexes
  if ! install_packages "${missing[@]}"; then
    # The 32-bit Wine's libraries must match the versions of the 64-bit ones; when an index of
    # its architecture is missing it cannot be installed. The rest still can: the Windows suites
    # then run the 64-bit build, as on a machine that runs no 32-bit program (cmake/wine-path.sh).
    rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    [ ${#rest[@]} -lt ${#missing[@]} ] || exit 100
    [ ${#rest[@]} -eq 0 ] || install_packages "${rest[@]}"
    echo "setup-machine.sh: the 32-bit Wine cannot be installed; the Windows suites run the 64-bit build under Wine's 64-bit loader"
  fi
fi

# A package can be recorded as installed with its files gone; the tools themselves must be there.
# The 64-bit toolchain is for machines that run no 32-bit program (cmake/wine-path.sh).
for arch in i686 x86_64; do
  reinstall=
  for tool in g++-posix gcc-posix windres ar ld; do
    command -v "$arch-w64-mingw32-$tool" >/dev/null || reinstall=1
  done
  if [ -n "$reinstall" ]; then
    update_indexes
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall --no-install-recommends \
      "g++-mingw-w64-${arch//_/-}-posix" "gcc-mingw-w64-${arch//_/-}-posix" \
      "binutils-mingw-w64-${arch//_/-}" >/dev/null
  fi
done

# The Russian suites run Wine under a Russian locale, whose code page is Windows-1251; the
# Japanese ones under a Japanese locale, whose code page is 932 (double-byte).
for locale in ru_RU ja_JP; do
  if ! locale -a 2>/dev/null | grep -qix "$locale.utf8"; then
    sed -i "s/^# *\($locale.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$locale.UTF-8 UTF-8" /etc/locale.gen || echo "$locale.UTF-8 UTF-8" >>/etc/locale.gen
    locale-gen >/dev/null
  fi
done
