#!/usr/bin/env bash
# Instructions from exec to the end of the first paint, PLMO next to the yardstick
# (bench/yardstick.cpp), counted by callgrind under one private Xvfb + openbox. Unlike wall and
# CPU time, which move by a fifth or more from run to run on a shared machine, the count is nearly
# the same each run (well below 1 %), so small start-up savings can be seen and compared.
#
#   bench/instructions.sh [runs] [functions]   counted starts of each program (default 2) and
#                                              rows of the difference table (default 25)
#
# Both programs run with PELLIMO_BENCH_QUIT_AFTER_PAINT (they end right after their first paint),
# PLMO from a private copy of its folder with no settings file. The count ends where the switch
# calls QCoreApplication::exit, once the first paint is on the screen; what runs after it (work
# queued after the first paint, such as PLMO's settings dialog, and the program's end) is printed
# apart. Prints both totals (all threads) and the ratio; then, from one more start of each with
# the work both share left out, the cost by library and the functions whose inclusive cost
# differs most between the two (PLMO minus yardstick), which is where PLMO's extra work goes.
#
# The map's scaling runs in Qt's thread pool, in functions without names that differ between the
# two programs (QImage for PLMO, QPixmap for the yardstick): it shows as a plus and a minus of
# about the same size among the differences.
#
# Environment: PLMO=<path> counts that executable instead of building build/bench/PLMO;
# KEEP=<dir> keeps the callgrind files there (for callgrind_annotate or kcachegrind).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-2}"
rows="${2:-25}"
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }

# shellcheck source=lib.sh
source "$root/bench/lib.sh"
# The pointer away from where the windows appear: an entering pointer would add PLMO's foreground
# activation to the count.
xdotool mousemove 0 0
out="${KEEP:-$E2E_TMP}"
mkdir -p "$out"

# One counted start. Callgrind writes its count up to the benchmark switch's QCoreApplication::exit
# (the first paint is on the screen by then) to "$out/<label>.out.1" and what follows (work
# queued after the first paint, the program's end) to "$out/<label>.out"; the inclusive and self
# tables of the first go beside it, its total is appended to "$out/totals". Recursions are kept
# apart up to a depth no widget tree reaches, so that a function's inclusive cost counts its nested
# calls once.
count()
{
    local label="$1"
    shift
    run_callgrind "$label" "$@"
    echo "$label $(total "$out/$label.out.1") $(total "$out/$label.out")" >>"$out/totals"
}

# A start for the tables: the same count with the work both programs share and that only moves
# between their functions left out (the font database's first build, the decoding of the map and
# icons), so that the differences by function show PLMO's own extra work.
count_own()
{
    local label="$1"
    shift
    # (--collect-atstart after the toggles: each --toggle-collect turns it off.)
    run_callgrind "$label" --toggle-collect='QFontconfigDatabase::populateFontDatabase()' \
        --toggle-collect='QImageReader::read(QImage*)' --collect-atstart=yes -- "$@"
    callgrind_annotate --inclusive=yes --threshold=100 "$out/$label.out.1" >"$out/$label.incl" 2>/dev/null
    callgrind_annotate --inclusive=no --threshold=100 "$out/$label.out.1" >"$out/$label.self" 2>/dev/null
    echo "$label $(total "$out/$label.out.1")" >>"$out/own"
}

# run_callgrind <label> [callgrind options --] <program>
run_callgrind()
{
    local label="$1" options=()
    shift
    if [[ " $* " == *" -- "* ]]; then
        while [[ "$1" != -- ]]; do
            options+=("$1")
            shift
        done
        shift
    fi
    rm -f "$out/$label.out" "$out/$label.out.1"
    PELLIMO_BENCH_QUIT_AFTER_PAINT=1 timeout 300 valgrind --tool=callgrind --separate-recs=40 \
        --dump-before='QCoreApplication::exit*' "${options[@]}" --callgrind-out-file="$out/$label.out" "$@" \
        >/dev/null 2>"$out/$label.log" || { cat "$out/$label.log" >&2; e2e_fail "$label failed under callgrind"; }
    [[ -s "$out/$label.out.1" ]] || e2e_fail "$label ended without the benchmark switch"
    sleep 0.2 # let openbox forget the window before the next start
}

# The instruction total of a callgrind file.
total()
{
    awk '/^totals:/ { print $2 }' "$1"
}

# One start of each outside valgrind first: the first start after the X server's may differ.
PELLIMO_BENCH_QUIT_AFTER_PAINT=1 timeout 60 "$yardstick" >/dev/null 2>&1
PELLIMO_BENCH_QUIT_AFTER_PAINT=1 timeout 60 "$E2E_APP" >/dev/null 2>&1
: >"$out/totals"
: >"$out/own"
for ((i = 0; i < runs; i++)); do
    count yardstick "$yardstick"
    count plmo "$E2E_APP"
done
count_own yardstick "$yardstick"
count_own plmo "$E2E_APP"
[[ ! -e "$E2E_SETTINGS" ]] || e2e_fail "PLMO wrote its settings file when ended by the benchmark switch"

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'); valgrind $(valgrind --version)"
python3 - "$out" "$rows" "$yardstick" "$E2E_APP" <<'PY'
import re, sys
out, rows = sys.argv[1], int(sys.argv[2])
programs = sys.argv[3:]
line_re = re.compile(r"^\s*([\d,]+)\s+(?:\([^)]*\)\s+)?(\S.*?)\s*$")

def table(path):
    """Function -> instructions, and the program total, from a callgrind_annotate listing."""
    total, funcs = 0, {}
    for line in open(path, errors="replace"):
        if "PROGRAM TOTALS" in line:
            total = int(line.split()[0].replace(",", ""))
            continue
        m = line_re.match(line)
        if not m or ":" not in m.group(2):
            continue
        name = m.group(2)
        # "file:function [object]": the file says nothing here; the object names the library,
        # and the two programs' own objects are one name, so that their functions compare.
        name = name.split(":", 1)[1] if not name.startswith("0x") else name
        for program in programs:
            name = name.replace(f"[{program}]", "[program]")
        funcs[name] = funcs.get(name, 0) + int(m.group(1).replace(",", ""))
    return total, funcs

def library(name):
    m = re.search(r"\[([^\]]*)\]$", name)
    return m.group(1).rsplit("/", 1)[-1] if m else "?"

def mi(n):
    return f"{n / 1e6:9.1f}"

totals, after = {}, {}
for line in open(f"{out}/totals"):
    label, n, rest = line.split()
    totals.setdefault(label, []).append(int(n))
    after.setdefault(label, []).append(int(rest))
y_total, y_incl = table(f"{out}/yardstick.incl")
p_total, p_incl = table(f"{out}/plmo.incl")
_, y_self = table(f"{out}/yardstick.self")
_, p_self = table(f"{out}/plmo.self")
print(f"{'instructions to first paint, M (all threads)':44}{'yardstick':>10}{'PLMO':>10}{'ratio':>8}")
for i, (y, p) in enumerate(zip(totals["yardstick"], totals["plmo"])):
    print(f"{'run ' + str(i + 1):44}{mi(y)} {mi(p)}{p / y:8.2f}")
print(f"{'after the first paint (queued work, exit), last run':44}{mi(after['yardstick'][-1])} {mi(after['plmo'][-1])}")
own = dict(line.split() for line in open(f"{out}/own"))
y_own, p_own = int(own["yardstick"]), int(own["plmo"])
print(f"{'without the shared font database and decoding':44}{mi(y_own)} {mi(p_own)}{p_own / y_own:8.2f}")
print("(the tables below are of the last start, without the shared work)")

print("\nby library (self cost), M")
libs = {}
for i, funcs in enumerate((y_self, p_self)):
    for name, n in funcs.items():
        libs.setdefault(library(name), [0, 0])[i] += n
for lib, (y, p) in sorted(libs.items(), key=lambda kv: -max(kv[1]))[:12]:
    print(f"  {lib[:42]:42}{mi(y)} {mi(p)}{(p - y) / 1e6:+8.1f}")

print("\nlargest inclusive differences by function (PLMO - yardstick), M; of callers and callees")
print("with nearly the same difference (one chain of calls) only the first is listed")
# Only the outermost level of a recursion: the deeper ones ("name'2") are inside it.
diffs = [(p_incl.get(f, 0) - y_incl.get(f, 0), f) for f in set(y_incl) | set(p_incl)
         if not re.search(r"'\d+ \[", f)]
diffs.sort(key=lambda d: -abs(d[0]))
shown = []
for d, f in diffs:
    if len(shown) == rows:
        break
    if any(abs(d - s) <= 0.01 * abs(s) for s in shown):
        continue
    shown.append(d)
    print(f"  {d / 1e6:+8.2f}  {f[:110]}")
PY
