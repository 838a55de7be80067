#!/bin/sh
# Checks the import and export tables of the plug-in library: it may import
# only Windows system libraries, and it exports exactly the four entry points
# of an in-process COM server.
# Usage: check-dll-tables.sh OBJDUMP DLL
set -eu
objdump=$1
dll=$2
dump=$("$objdump" -p "$dll")
status=0

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z')
[ -n "$imports" ] || { echo "no import table found"; exit 1; }
for name in $imports; do
    case "$name" in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|OLE32.DLL|OLEAUT32.DLL|SHELL32.DLL|\
    SHLWAPI.DLL|MSIMG32.DLL|UXTHEME.DLL|COMCTL32.DLL|COMDLG32.DLL|GDIPLUS.DLL|VERSION.DLL|\
    MSVCRT.DLL|API-MS-WIN-CRT-*.DLL) ;;
    *) echo "imports a library that is not part of Windows: $name"; status=1 ;;
    esac
done

# The export name table lists "[ n] Name" rows after its heading.
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)$/\1/p' | sort)
expected=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if [ "$exports" != "$expected" ]; then
    echo "exports differ from the four entry points:"
    printf '%s\n' "$exports"
    status=1
fi
[ $status -eq 0 ] && echo "imports: $(echo $imports); exports: $(echo $exports)"
exit $status
