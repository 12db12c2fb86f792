#!/usr/bin/env bash
# scripts/setup-machine.sh against a package manager that fails as a mirror in mid-synchronisation
# makes it fail: apt-get, dpkg and dpkg-query are stand-ins on PATH that record what they were
# asked and report every package as missing.
#   setup_machine_test.sh SOURCE_DIR WORK_DIR
set -u
source_dir=$1
work=$2
rm -rf "$work" && mkdir -p "$work/bin"
failures=0

# The stand-in apt-get: "update" fails when QX_FAKE_UPDATE=fail; "install" fails when asked for
# one of the packages named in QX_FAKE_UNINSTALLABLE.
cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "$*" >>"$QX_FAKE_LOG"
if [ "$1" = update ]; then
  [ "$QX_FAKE_UPDATE" = fail ] || exit 0
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
  exit 100
fi
for p in "$@"; do
  for bad in $QX_FAKE_UNINSTALLABLE; do
    if [ "$p" = "$bad" ]; then echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100; fi
  done
done
FAKE
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\necho i386\n' >"$work/bin/dpkg"
chmod +x "$work/bin/"*

# run NAME UPDATE UNINSTALLABLE EXPECTED_STATUS EXPECTED_INSTALLS EXPECTED_NOTICES
run() {
  local name=$1 log="$work/$1.log" out="$work/$1.out"
  : >"$log"
  QX_FAKE_LOG=$log QX_FAKE_UPDATE=$2 QX_FAKE_UNINSTALLABLE=$3 QX_APT_RETRY_PAUSE=0 \
    PATH="$work/bin:$PATH" "$source_dir/scripts/setup-machine.sh" >"$out" 2>&1
  local status=$? installs notices
  installs=$(grep -c '^install' "$log")
  notices=$(grep -c '^setup-machine.sh: ' "$out")
  if [ "$status" -ne "$4" ] || [ "$installs" -ne "$5" ] || [ "$notices" -ne "$6" ]; then
    echo "FAIL $name: status $status (want $4), $installs installs (want $5), $notices notices (want $6)"
    cat "$out" "$log"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

run all_installs ok "" 0 1 0
run failed_update_goes_on_to_install fail "" 0 1 1
run no_32bit_wine_takes_the_64bit_route fail "wine32:i386" 0 2 2
run another_package_missing_fails fail "xvfb" 100 2 1

# Whatever failed, the 64-bit route installs everything else, the 64-bit Wine included.
second=$(grep '^install' "$work/no_32bit_wine_takes_the_64bit_route.log" | sed -n 2p)
case " $second " in
  *" wine32:i386 "*) echo "FAIL the 64-bit route still asks for the 32-bit Wine"; failures=$((failures + 1)) ;;
  *" wine64 "*) ;;
  *) echo "FAIL the 64-bit route does not install the 64-bit Wine: $second"; failures=$((failures + 1)) ;;
esac
[ "$(grep -c '^update' "$work/failed_update_goes_on_to_install.log")" -eq 3 ] ||
  { echo "FAIL a failing update is not tried three times"; failures=$((failures + 1)); }
exit $((failures > 0))
