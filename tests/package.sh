#!/usr/bin/env bash
# The Debian package, built by CPack from the build at hand: its dependencies, its files, the menu
# entry, the manual page, --help/--version of the packaged program, and lintian without errors.
# As root, with no pellimo package installed already, it also installs the package, starts the
# program with the Exec line of the installed menu entry as an unprivileged user under Xvfb, checks
# that its settings live in ~/.config/pellimo/ and survive a restart, and removes the package
# again, checking that nothing is left behind.
# Usage: package.sh <build directory>

# shellcheck source=e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e/lib.sh"

build="${1:-}"
[[ -f "$build/CPackConfig.cmake" ]] || e2e_fail "usage: $0 <build directory with CPackConfig.cmake>"

out="$E2E_TMP/package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$E2E_TMP/cpack.log" 2>&1 ||
    e2e_fail "cpack failed: $(cat "$E2E_TMP/cpack.log")"
deb="$(ls "$out"/pellimo_*.deb)"
e2e_log "built $deb"

depends="$(dpkg-deb -f "$deb" Depends)"
for dep in fonts-noto-cjk fonts-liberation fonts-dejavu-core libqt6widgets6 libqt6gui6 libqt6core6 qt6-base-abi; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || e2e_fail "Depends lacks $dep: $depends"
done

files="$(dpkg-deb -c "$deb" | awk '{print $6}')"
expected=(./usr/bin/PLMO ./usr/share/applications/pellimo.desktop ./usr/share/man/man1/PLMO.1.gz
    ./usr/share/doc/pellimo/copyright ./usr/share/doc/pellimo/changelog.gz)
for size in 16 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/pellimo.png")
done
for f in "${expected[@]}"; do
    grep -qxF "$f" <<<"$files" || e2e_fail "the package lacks $f"
done

root="$E2E_TMP/root"
dpkg-deb -x "$deb" "$root"
for size in 16 24 32 48 64 128 256; do
    got="$(identify -format '%w x %h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/pellimo.png")"
    [[ "$got" == "$size x $size" ]] || e2e_fail "the ${size}x${size} icon is $got"
done
desktop="$root/usr/share/applications/pellimo.desktop"
desktop-file-validate "$desktop" || e2e_fail "the menu entry does not validate"
exec_line="$(sed -n 's/^Exec=//p' "$desktop")"
[[ -x "$root/usr/bin/${exec_line%% *}" ]] || e2e_fail "Exec=$exec_line is not the packaged program"
man --warnings -l "$root/usr/share/man/man1/PLMO.1.gz" 2>&1 >/dev/null | grep . && e2e_fail "the manual page has warnings"
"$root/usr/bin/PLMO" --version | grep -q '^PLMO (Pellimo) [0-9]' || e2e_fail "--version of the packaged program"
"$root/usr/bin/PLMO" --help | grep -q '^Usage: PLMO' || e2e_fail "--help of the packaged program"

if command -v lintian >/dev/null; then
    # The test build carries sanitizers and debug information; what only that causes is not checked.
    lintian --fail-on error --suppress-tags unstripped-binary-or-object "$deb" 2>&1 | grep -v 'not recommended' |
        tee "$E2E_TMP/lintian.log" >&2
    grep -q '^E:' "$E2E_TMP/lintian.log" && e2e_fail "lintian reports errors"
fi

if [[ "$(id -u)" != 0 || "${PELLIMO_PACKAGE_INSTALL:-1}" == 0 ]]; then
    echo "package: contents checked; installation not tried (needs root)"
    exit 0
fi
if dpkg-query -W -f='${Status}' pellimo 2>/dev/null | grep -q 'ok installed'; then
    echo "package: contents checked; installation not tried (a pellimo package is installed already)"
    exit 0
fi

# dpkg waits for nobody: another apt or dpkg run holds its lock for a while at most.
dpkg_retry()
{
    local attempt
    for ((attempt = 0; attempt < 60; attempt++)); do
        dpkg "$@" >"$E2E_TMP/dpkg.log" 2>&1 && return 0
        grep -q 'lock' "$E2E_TMP/dpkg.log" || break
        sleep 2
    done
    cat "$E2E_TMP/dpkg.log" >&2
    return 1
}
remove_package()
{
    dpkg-query -W pellimo >/dev/null 2>&1 && dpkg_retry -r pellimo
}
trap 'remove_package; e2e_cleanup' EXIT

dpkg_retry -i "$deb" || e2e_fail "dpkg -i failed"
installed_files="$(dpkg -L pellimo)"
installed_desktop=/usr/share/applications/pellimo.desktop
[[ -f "$installed_desktop" ]] || e2e_fail "no installed menu entry"

# An unprivileged user with a home of its own, as a desktop user would start it.
user_home="$E2E_TMP/home"
mkdir -p "$user_home"
chmod 755 "$E2E_TMP"
chown 65534:65534 "$user_home"
# Replaces the calling shell, so that the pid e2e_spawn records is the program's own.
run_as_user()
{
    exec setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH=/usr/bin:/bin HOME="$user_home" \
        DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$user_home/runtime" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \
        LSAN_OPTIONS="$LSAN_OPTIONS" ASAN_OPTIONS="${ASAN_OPTIONS:-}" "$@"
}
setpriv --reuid=65534 --regid=65534 --clear-groups mkdir -m 0700 "$user_home/runtime"

e2e_start_x
exec_line="$(sed -n 's/^Exec=//p' "$installed_desktop")"
user_settings="$user_home/.config/pellimo/PLMO_UserSettings.ini"

# Starts the menu entry's Exec line as the user; the window's id in $window, the pid in $E2E_LAST_PID.
start_from_menu()
{
    e2e_log "starting the menu entry's Exec line: $exec_line"
    # The Exec line is a plain command without field codes; the shell splits it as the launcher would.
    e2e_spawn run_as_user sh -c "exec $exec_line"
    window="$(e2e_wait_window TForm1)" || e2e_fail "the installed program shows no window"
    [[ "$(readlink "/proc/$E2E_LAST_PID/exe")" == /usr/bin/PLMO ]] || e2e_fail "the started process is not /usr/bin/PLMO"
}
close_program()
{
    wmctrl -i -c "$window"
    e2e_wait_exit "$E2E_LAST_PID" 30 || e2e_fail "the installed program did not end after its window was closed"
    [[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "the installed program ended with $E2E_EXIT_CODE"
}

start_from_menu
close_program
# /usr/bin is not the user's: the settings went to the user's configuration folder.
[[ -f "$user_settings" ]] || e2e_fail "no settings in $user_settings after the first close"
[[ ! -e /usr/bin/PLMO_UserSettings.ini ]] || e2e_fail "settings were written beside /usr/bin/PLMO"
grep -q $'^NAME=NoName\r$' "$user_settings" || e2e_fail "first close wrote: $(cat "$user_settings")"

e2e_log "a restart reads them back"
setpriv --reuid=65534 --regid=65534 --clear-groups \
    sed -i -e $'s/^NAME=.*/NAME=Tester\r/' -e $'s/^chTopmost=.*/chTopmost=0\r/' "$user_settings"
start_from_menu
sleep 0.5 # the stay-on-top state is set right after the window is shown
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && e2e_fail "chTopmost=0 was not read back"
close_program
grep -q $'^NAME=Tester\r$' "$user_settings" || e2e_fail "the name did not survive a restart: $(cat "$user_settings")"
grep -q $'^chTopmost=0\r$' "$user_settings" || e2e_fail "stay-on-top did not survive a restart"

remove_package || e2e_fail "dpkg -r failed"
while read -r f; do
    [[ -z "$f" || -d "$f" ]] && continue
    [[ ! -e "$f" ]] || e2e_fail "$f is left after dpkg -r"
done <<<"$installed_files"
leftovers="$(find /usr/bin /usr/share/applications /usr/share/man/man1 /usr/share/doc -iname '*plmo*' -o -iname '*pellimo*')"
[[ -z "$leftovers" ]] || e2e_fail "left behind: $leftovers"

echo "package: every check passed"
