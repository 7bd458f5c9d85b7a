#!/bin/sh
# Runs a program of the Windows build under Wine: the build's
# CMAKE_CROSSCOMPILING_EMULATOR, through which CTest lists and runs the tests.
#
# Every program runs in one private prefix of the build folder, booted by the
# first program of a test run (under a lock, since CTest runs several at
# once); "reset" at the start of a run ends its server and removes it. The
# server stays up between the run's programs, so each starts in well under a
# second, and ends by itself soon after the last. Qt's DLLs and MinGW's are
# found through WINEPATH, Qt's plugins beside Qt's DLLs. No display is used:
# a test that needs one is wrong.
#
# Usage: wine-emulator.sh PREFIX DLL-FOLDERS PROGRAM [ARGUMENT...]
#        wine-emulator.sh PREFIX DLL-FOLDERS reset   (a fresh prefix, booted)
# DLL-FOLDERS: the folders of the DLLs, as Linux paths separated by ":".
set -eu
prefix=$1 dll_folders=$2
shift 2

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# How long the server outlives the last program of the run, in seconds.
linger=20

if [ "${1:-}" = reset ]; then
    if [ -d "$prefix" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        rm -rf "$prefix"
    fi
    # Booted now, before the tests are listed: a boot takes longer than
    # listing a program's tests may.
    set -- cmd /c exit
fi

command -v wine >/dev/null 2>&1 || {
    echo "wine-emulator: Wine is not installed (Debian: wine wine64)." >&2
    exit 1
}

# Booted once; a boot cut short leaves no mark and is done again. What Wine
# starts here (its server above all) must not inherit the lock's descriptor,
# or it would hold the lock for as long as it runs.
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.booted" ]; then
        rm -rf "$prefix"
        wineboot -i >/dev/null 2>&1 9>&- ||
            { wineserver -k 2>/dev/null 9>&-; rm -rf "$prefix"; wineboot -i >/dev/null 2>&1 9>&-; }
        wineserver -w 9>&-
        # The drive that maps this machine's root, so that a build path is a
        # Windows path too; Wine names it Z: in every new prefix.
        [ -e "$prefix/dosdevices/z:" ] || { echo "wine-emulator: no Z: drive in $prefix" >&2; exit 1; }
        touch "$prefix/.booted"
    fi
    # Y: is a folder of the build folder as a drive letter of its own, as
    # subst makes one: a program folder in it is reached through two paths.
    # (No test runs in it: Wine would then name the current folder by Y:.)
    mkdir -p "$(dirname "$prefix")/drive-y"
    ln -sfn "$(dirname "$prefix")/drive-y" "$prefix/dosdevices/y:"
    # Wine keeps its own fonts out of the prefix's Windows font folder, where
    # the tests have Qt look for fonts: it gets the type the Linux tests draw
    # in. Linked under the lock on each start, as it costs nothing.
    for font in /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
        /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf; do
        [ ! -f "$font" ] || ln -sf "$font" "$prefix/drive_c/windows/Fonts/"
    done
    # Windows' temporary folder, where the tests make their folders, is
    # TMPDIR's when it is given (scripts/test gives one on a RAM disk), else
    # the prefix's own.
    temp=$prefix/drive_c/users/$(id -un)/Temp
    if [ -n "${TMPDIR:-}" ] && [ -d "$TMPDIR" ]; then
        mkdir -p "$TMPDIR/wine-temp"
        [ "$(readlink "$temp" || true)" = "$TMPDIR/wine-temp" ] ||
            { rm -rf "$temp" && ln -s "$TMPDIR/wine-temp" "$temp"; }
    elif [ -L "$temp" ]; then
        rm "$temp" && mkdir "$temp"
    fi
    # A server ended since (the run paused longer than it lingers) is
    # started again with the same patience.
    wineserver -p"$linger" 2>/dev/null 9>&- || true
) 9>"$prefix.lock"

# Wine hands a program none of the QT_ variables (a Linux Qt's would mislead
# a Windows one), only WINEQT_ ones, as QT_: the ones given here are meant
# for the Windows program.
for name in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE$name=\"\$$name\""
done

# Z:\ is this machine's root, in the Windows way of writing a path.
WINEPATH=$(printf '%s' "$dll_folders" | tr : '\n' | sed 's|^|Z:|' | paste -sd ';' | tr / '\\')
export WINEPATH

# CTest waits until a test's output closes, and a program that Wine starts
# inherits the output of the one that started it: Wine's own helpers started
# for a test, or a program left half started for good when the kill soak
# ended its parent at that very moment, would keep it open for as long as
# they live. Run by CTest (output into pipes), the program writes into files
# instead, which are copied to the output as they grow, until it ends.
relay() { # relay FD: the file the program writes into instead of FD
    file=$(mktemp "${TMPDIR:-/tmp}/wine-output.XXXXXX")
    (tail --pid="$$" -s 0.1 -n +1 -f "$file" >&"$1"; rm -f "$file") </dev/null &
}
case $(readlink /proc/$$/fd/1 /proc/$$/fd/2 2>/dev/null || true) in
*pipe:*)
    relay 1
    out=$file
    relay 2
    exec wine "$@" >"$out" 2>"$file"
    ;;
esac

exec wine "$@"
