#!/usr/bin/env bash
# Exit 0 when this machine executes 32-bit x86 code natively (some virtual machines do not, and Wine
# then cannot run 32-bit programs). Emulation through qemu-user does not count: it is far too slow for
# Wine.
if grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
  exit 1
fi
/usr/lib/wine/wineserver32 --version >/dev/null 2>&1
