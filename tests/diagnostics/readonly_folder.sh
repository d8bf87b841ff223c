#!/bin/sh
# readonly_folder.sh setup DIR PLUGIN | cleanup DIR
# A plug-in folder that cannot be written to. The tests run as root, and Wine
# leaves permission bits and the read-only attribute of folders to the
# system, so only the immutable attribute keeps root out. Where chattr cannot
# set it, the tests that need the folder skip themselves.
case "$1" in
  setup)
    chattr -i "$2" 2>/dev/null
    rm -rf "$2" && mkdir -p "$2" || exit 1
    cp "$3" "$2/Kestrelfind.dll" && : >"$2/debug.debug" || exit 1
    chattr +i "$2" 2>/dev/null || echo "note: $2 could not be made read-only"
    ;;
  cleanup)
    chattr -i "$2" 2>/dev/null
    rm -rf "$2"
    ;;
esac
exit 0
