#!/bin/sh
# Runs the installation suite's full-disk group on a drive too small for the payload: a tmpfs
# of 128 KiB mounted at MOUNT-POINT and named to the tests in QX_SMALL_DRIVE. Mounting needs
# root (CI runs as root); where it is refused the group runs without it and skips, saying so, or
# fails where every check is required (QX_REQUIRE_ALL=1).
# The tmpfs is unmounted afterwards, whatever the tests did.
#
# usage: full_disk.sh MOUNT-POINT COMMAND [ARGUMENT...]
mount_point=$1
shift
mkdir -p "$mount_point"
# The root only its owner may change, as a volume's root is where other users may not delete
# what is in it: setup refuses a root that lets them.
if mount -t tmpfs -o size=128k,mode=0755 qx-small-drive "$mount_point" 2>/dev/null; then
  trap 'umount "$mount_point" 2>/dev/null || umount -l "$mount_point"' EXIT
  QX_SMALL_DRIVE=$mount_point
  export QX_SMALL_DRIVE
else
  echo "full_disk.sh: no tmpfs could be mounted at $mount_point (it needs root)"
fi
"$@"
