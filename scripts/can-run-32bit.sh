#!/usr/bin/env bash
# Exit 0 when this machine executes 32-bit x86 code (some virtual machines do not, and Wine then cannot
# run 32-bit programs).
/usr/lib/wine/wineserver32 --version >/dev/null 2>&1
