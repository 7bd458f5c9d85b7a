#!/bin/sh
# The installer under Wine, silently, as an administrator deploys it: it
# refuses a folder without Lexaro, installs into Lexaro's folder (a path
# with spaces), whose installed program then runs a profile's session with
# the stand-in host by itself and ends; the uninstaller then leaves exactly
# Lexaro's files and the profiles.
# Usage: installer.sh WINE-RUN PREFIX SETUP HOST QT-PLUGINS VERSION WORK
set -eu
wine_run=$1 prefix=$2 setup=$3 host=$4 plugins=$5 version=$6 work=$7

fail() {
    echo "installer: $*" >&2
    exit 1
}
# A Linux path as Wine's Z: drive shows it.
windows() { printf 'Z:%s' "$1" | tr / '\\'; }
# The installer's folder goes last and unquoted, as Windows passes it on;
# Wine would quote an argument with spaces, so cmd passes the line.
install_into() { "$wine_run" cmd /c "$(windows "$setup") /S /D=$(windows "$1")"; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\LexaroTuvano'
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lexaro Tuvano!.lnk"

rm -rf "$work"
empty="$work/Ingen Lexaro" lexaro="$work/Lexaro med mellanslag"
mkdir -p "$empty" "$lexaro"

# Not Lexaro's folder: refused with an exit code, nothing written.
status=0
install_into "$empty" || status=$?
[ "$status" -eq 2 ] || fail "a folder without Lexaro gave exit code $status, not 2"
[ -z "$(ls -A "$empty")" ] || fail "written into a folder without Lexaro: $(ls -A "$empty")"
"$wine_run" reg query "$uninstall_key" >/dev/null 2>&1 && fail "refused, but registered"

# Lexaro's folder, with a store whose countdown starts Anna after a second;
# the program ends when the host has ended and the session is saved.
cp "$host" "$lexaro/lexaro.exe"
for file in ro glblstat plug-in recent lx98; do
    printf 'live\r\n' >"$lexaro/$file.vwi"
    mkdir -p "$lexaro/profiles/1000000" "$lexaro/profiles/2000000"
    printf 'standard\r\n' >"$lexaro/profiles/1000000/$file.vwi"
    printf 'anna\r\n' >"$lexaro/profiles/2000000/$file.vwi"
done
printf '#FALSE#\r\n1\r\n"Anna"\r\n#TRUE#\r\n#FALSE#\r\n' >"$lexaro/tuvano.ini"
printf '"Standardprofil","1000000"\r\n"Anna","2000000"\r\n' >"$lexaro/profiles.map"

install_into "$lexaro" || fail "the installation ended with exit code $?"
for file in tuvano.exe Qt6Core.dll platforms/qwindows.dll licenser/Lexaro-Tuvano-LICENSE.txt \
    Installera.txt tuvano-avinstallera.exe; do
    [ -f "$lexaro/$file" ] || fail "not installed: $file"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
"$wine_run" reg query "$uninstall_key" /v DisplayVersion | grep -q "$version" ||
    fail "no entry under the installed programs with version $version"

# The installed program on its own DLLs (no WINEPATH), with the offscreen
# platform from Qt's plugins: Wine has no display here.
WINEPREFIX="$prefix" WINEDEBUG=-all WINEQT_QPA_PLATFORM=offscreen \
    WINEQT_PLUGIN_PATH="$(windows "$plugins")" timeout 120 \
    wine "$(windows "$lexaro/tuvano.exe")" </dev/null >/dev/null 2>&1 ||
    fail "the installed program ended with exit code $?"
grep -q 'Hej fr' "$lexaro/profiles/2000000/lx98.vwi" ||
    fail "the session with the installed program was not saved into Anna's profile"

# The uninstaller copies itself away and runs from there: it is done when
# it has removed itself.
"$wine_run" "$(windows "$lexaro/tuvano-avinstallera.exe")" /S ||
    fail "the uninstaller ended with exit code $?"
tries=0
while [ -e "$lexaro/tuvano-avinstallera.exe" ] || [ -e "$lexaro/tuvano.exe" ]; do
    tries=$((tries + 1))
    [ $tries -le 120 ] || fail "the uninstaller did not finish"
    sleep 0.5
done
sleep 1
left=$(cd "$lexaro" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
kept="./glblstat.vwi ./lexaro.exe ./lx98.vwi ./plug-in.vwi ./profiles ./profiles.map"
kept="$kept ./profiles/1000000"
for file in glblstat lx98 plug-in recent ro; do kept="$kept ./profiles/1000000/$file.vwi"; done
kept="$kept ./profiles/2000000"
for file in glblstat lx98 plug-in recent ro; do kept="$kept ./profiles/2000000/$file.vwi"; done
kept="$kept ./recent.vwi ./ro.vwi ./tuvano.ini "
# The record of the session names the live files' owner, where it is kept.
[ "$left" = "$kept" ] || [ "$left" = "${kept}./tuvano.session " ] ||
    fail "after uninstalling, left: $left"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is still there"
"$wine_run" reg query "$uninstall_key" >/dev/null 2>&1 && fail "still registered after uninstalling"
echo "installer: installed, ran and uninstalled in $lexaro"
