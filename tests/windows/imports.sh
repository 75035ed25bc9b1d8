#!/usr/bin/env bash
# Each Windows program imports only DLLs that Windows itself ships, so that
# it runs on a bare Windows 10 or 11 with nothing beside it: no libstdc++,
# libgcc or winpthread DLL of the compiler's.
#   imports.sh OBJDUMP PROGRAM.exe...
set -euo pipefail
objdump=$1
shift
# The system's own libraries, in any letter case: the C runtime (msvcrt, or
# the UCRT's api-ms-win-crt-* set) and the Win32 API the programs call.
allowed='^(kernel32|user32|gdi32|comdlg32|comctl32|shell32|shlwapi|advapi32|ole32|oleaut32|uxtheme|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+|bcrypt|ws2_32|version)\.dll$'
failures=0
for program in "$@"; do
    dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ -n "$dlls" ] || { echo "FAIL $program: no imports found" >&2; failures=$((failures + 1)); continue; }
    others=$(echo "$dlls" | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
    if [ -n "$others" ]; then
        echo "FAIL $(basename "$program") imports DLLs Windows does not ship:" $others >&2
        failures=$((failures + 1))
    else
        echo "ok $(basename "$program"):" $dlls
    fi
done
exit $failures
