#!/usr/bin/env bash
# Builds Qt (Core, Gui, Widgets and the Windows platform plugin) statically for 64-bit
# Windows from Debian's own qt6-base source, the same Qt version as the Linux build.
# The result is cached in ~/.cache/pellimo/qt-win64-<version>-<options hash> and reused;
# a stamp written only after a successful install marks it complete, so a half build is
# redone. Progress goes to stderr, the full log to the cache; the install prefix is
# printed on stdout.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${PELLIMO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pellimo}
jobs=${PELLIMO_JOBS:-$(nproc 2>/dev/null || echo 2)}

say() { echo "[qt-win64] $*" >&2; }
die() {
    say "error: $*"
    exit 1
}

# Debian package version of the Linux Qt, e.g. 6.4.2+dfsg-10; upstream part 6.4.2.
deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) ||
    die "qt6-base-dev is not installed (run tools/dev.sh first)"
qt_version=${deb_version%%+*}
qt_version=${qt_version%%-*}

# What the program does not use is off, and the code is optimised for size: the static
# executable carries every Qt feature that is on. Kept on although nothing of ours calls them:
# direct2d (with it off Qt 6.4.2's Windows platform plugin refers to a DirectWrite font
# database that Gui then does not build), cborstreamreader/-writer (the plugin loader reads
# plugin metadata with them), draganddrop (QApplication and the item views refer to it
# unguarded), buttongroup (the buttons' key handling needs a private header it brings),
# mainwindow, toolbar and menubar (compiled into Widgets' compatibility code).
# Windows draws the fonts itself (GDI and DirectWrite), so FreeType is not built.
features=(
    -DBUILD_SHARED_LIBS=OFF
    -DCMAKE_BUILD_TYPE=Release
    -DFEATURE_optimize_size=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    -DQT_BUILD_MANUAL_TESTS=OFF
    -DQT_GENERATE_SBOM=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_freetype=OFF
    -DFEATURE_harfbuzz=ON
    -DFEATURE_png=ON
    -DFEATURE_direct2d1_1=OFF
)
# Subsystems, image formats and widgets the program never shows.
for off in sql network dbus opengl dynamicgl vulkan printsupport concurrent xml jpeg gif ico \
    tabletevent testlib icu zstd openssl sql_sqlite \
    style_windowsvista \
    textmarkdownreader textmarkdownwriter textodfwriter pdf movie systemtrayicon \
    undocommand undostack undogroup whatsthis imageformat_ppm imageformat_xbm \
    mimetype mimetype_database process sharedmemory systemsemaphore commandlineparser \
    jalalicalendar hijricalendar islamiccivilcalendar sortfilterproxymodel \
    transposeproxymodel concatenatetablesproxymodel identityproxymodel xmlstream \
    xmlstreamreader xmlstreamwriter \
    effects treewidget listwidget tablewidget commandlinkbutton datetimeedit stackedwidget \
    textbrowser splashscreen splitter formlayout lcdnumber radiobutton spinbox tabbar \
    tabwidget fontcombobox toolbox dockwidget mdiarea statusbar progressbar \
    dial scroller graphicsview graphicseffect textedit syntaxhighlighter rubberband \
    sizegrip calendarwidget colordialog filedialog fontdialog progressdialog inputdialog \
    errormessage wizard tableview treeview datawidgetmapper columnview completer \
    fscompleter undoview filesystemmodel; do
    features+=("-DFEATURE_$off=OFF")
done
key=$({
    printf '%s\n' "$deb_version" "${features[@]}"
    cat "$here/mingw-w64-posix.cmake"
    x86_64-w64-mingw32-g++-posix --version 2>/dev/null | head -1
} | sha256sum | cut -c1-10)
prefix=$cache/qt-win64-$qt_version-$key
stamp=$prefix/.pellimo-complete
# The licence texts that go into the release archive with the program.
copy_licenses() {
    local from=$1 to=$2/licenses dir
    mkdir -p "$to/qt-3rdparty"
    cp "$from/LICENSES/LGPL-3.0-only.txt" "$to/LGPL-3.0.txt"
    cp "$from/LICENSES/GPL-3.0-only.txt" "$to/GPL-3.0.txt"
    cp "$from/src/3rdparty/harfbuzz-ng/COPYING" "$to/HarfBuzz.txt"
    cp "$from/src/3rdparty/libpng/LICENSE" "$to/libpng.txt"
    cp "$from/src/3rdparty/zlib/LICENSE" "$to/zlib.txt"
    cp "$from/src/3rdparty/pcre2/LICENCE" "$to/PCRE2.txt"
    for dir in double-conversion md4c tinycbor easing md4 md5 sha1 sha3 rfc6234 blake2; do
        [ -d "$from/src/3rdparty/$dir" ] || continue
        mkdir -p "$to/qt-3rdparty/$dir"
        find "$from/src/3rdparty/$dir" -maxdepth 1 -type f \
            \( -name 'qt_attribution.json' -o -iname '*licen*' -o -iname 'COPYING*' \) \
            -exec cp {} "$to/qt-3rdparty/$dir/" \;
    done
}

work=$cache/qt-win64-work-$qt_version-$key
mkdir -p "$cache"
# One build at a time per configuration: a second run (another checkout) waits for the first
# and then finds its result.
exec 9>"$cache/.qt-win64-$qt_version-$key.lock"
if ! flock -n 9; then
    say "another build of this Qt is running; waiting for it"
    flock 9
fi
if [ -f "$stamp" ]; then
    if [ ! -d "$prefix/licenses" ]; then
        src=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' 2>/dev/null | head -1)
        [ -n "$src" ] || die "no licence texts in $prefix and no source to take them from; delete $prefix"
        copy_licenses "$src" "$prefix"
    fi
    say "cached: $prefix"
    echo "$prefix"
    exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix cmake ninja perl dpkg-source apt-get; do
    command -v "$tool" >/dev/null || die "'$tool' is missing (tools/dev.sh windows installs it)"
done
[ -d /usr/lib/x86_64-linux-gnu/cmake/Qt6CoreTools ] || die "the host Qt tools are missing (qt6-base-dev-tools)"

log=$work/build.log
mkdir -p "$work"
: >"$log"
say "building Qt $qt_version for Windows (once; about 20-40 minutes). Log: $log"
report_failure() {
    local rc=$?
    if [ "$rc" -ne 0 ]; then
        say "failed; last lines of $log:"
        tail -n 40 "$log" >&2
    fi
}
trap report_failure EXIT

# Debian's source package through a private apt configuration: the machine's own apt
# sources and state are left alone.
apt_dir=$cache/apt
mkdir -p "$apt_dir"/{lists/partial,archives/partial,sources.list.d,state}
cat >"$apt_dir/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
SOURCES
apt_private=(
    -o "Dir::State=$apt_dir/state" -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::State::status=/var/lib/dpkg/status"
    -o "Dir::Cache=$apt_dir" -o "Dir::Cache::archives=$apt_dir/archives"
    -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "APT::Sandbox::User=root" -o "Acquire::Retries=3"
)
src_root=$work/src
if [ ! -f "$src_root/.unpacked" ]; then
    rm -rf "$src_root"
    mkdir -p "$src_root"
    ok=
    for attempt in 1 2 3; do
        say "fetching qt6-base $deb_version source (attempt $attempt)"
        if apt-get "${apt_private[@]}" update >>"$log" 2>&1; then
            if (cd "$src_root" && apt-get "${apt_private[@]}" source "qt6-base=$deb_version" >>"$log" 2>&1); then
                ok=1
                break
            fi
            # The archive may have moved on to a newer Debian revision of the same Qt.
            if (cd "$src_root" && apt-get "${apt_private[@]}" source qt6-base >>"$log" 2>&1); then
                say "note: source $deb_version is gone from the archive; took bookworm's current qt6-base"
                ok=1
                break
            fi
        fi
        sleep $((attempt * 10))
    done
    [ -n "$ok" ] || die "could not fetch the qt6-base source from deb.debian.org"
    touch "$src_root/.unpacked"
fi
src=$(find "$src_root" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
if [ -z "$src" ] || [ ! -f "$src/CMakeLists.txt" ]; then
    die "no unpacked qt6-base source in $src_root"
fi

build=$work/build
rm -rf "$build" "$prefix"
say "configuring"
# Not through a compiler cache: the installed Qt is this build's cache, and its objects would
# only crowd out the program's own.
env -u CMAKE_C_COMPILER_LAUNCHER -u CMAKE_CXX_COMPILER_LAUNCHER cmake -G Ninja -S "$src" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-posix.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${features[@]}" >>"$log" 2>&1 || die "configure failed"

say "compiling with $jobs jobs"
start=$(date +%s)
cmake --build "$build" --parallel "$jobs" >>"$log" 2>&1 &
builder=$!
# A progress line every two minutes instead of the whole compiler output.
while kill -0 "$builder" 2>/dev/null; do
    for _ in $(seq 120); do
        kill -0 "$builder" 2>/dev/null || break
        sleep 1
    done
    if kill -0 "$builder" 2>/dev/null; then
        step=$(grep -o '^\[[0-9]*/[0-9]*\]' "$log" | tail -1 || true)
        say "compiling $step ($(($(date +%s) - start)) s)"
    fi
done
wait "$builder" || die "build failed"
say "installing"
cmake --install "$build" >>"$log" 2>&1 || die "install failed"
cp "$log" "$prefix/build.log"
copy_licenses "$src" "$prefix"
touch "$stamp"
rm -rf "$build"
say "done in $(($(date +%s) - start)) s: $prefix"
echo "$prefix"
