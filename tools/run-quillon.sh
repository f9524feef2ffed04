#!/bin/sh
# Builds the Windows binaries (the cross preset) and starts Quillon.exe under
# Wine on a virtual desktop named "shell" (the only kind that shows a taskbar
# with a tray), in the Wine prefix build/wineprefix (never ~/.wine).
# Needs an X display. QUILLON_CROSS_BUILD picks another build dir.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLON_CROSS_BUILD:-$here/build/cross}

"$here/tools/deps.sh" run || exit 1

if [ -z "${DISPLAY:-}" ]; then
    echo "run-quillon: no X display (DISPLAY is not set); Quillon needs one to show its tray and window." >&2
    exit 1
fi
if ! xdpyinfo >/dev/null 2>&1; then
    echo "run-quillon: the X display $DISPLAY does not answer; Quillon needs one to show its tray and window." >&2
    exit 1
fi

cd "$here" || exit 1
cmake --preset cross -B "$build" >/dev/null || exit 1
cmake --build "$build" --target Quillon || exit 1

exe=$build/Quillon.exe
[ -f "$exe" ] && [ -f "$build/Quillhook.dll" ] || {
    echo "run-quillon: $exe or Quillhook.dll beside it is missing after the build" >&2
    exit 1
}
winexe="Z:$(printf '%s' "$exe" | sed 's|/|\\|g')"
cd "$build" || exit 1
echo "Starting Quillon on the Wine desktop \"shell\" (display $DISPLAY)"
exec "$here/tools/wine-run" explorer /desktop=shell,1024x768 "$winexe"
