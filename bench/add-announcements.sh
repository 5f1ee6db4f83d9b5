#!/bin/bash
# Load test of announcements from outside: several senders (counters) each add their
# announcements one after another through `vornelta --add-announcement -`, all senders at
# once, on one desk. Afterwards every sender's numbers must be distinct across senders, and
# every announcement must be in data.d once with all its run dates in dates.d: nothing
# lost, nothing doubled. Prints the time taken.
#
# On a program folder the folder lock serialises the senders (each waits up to 10 s for
# it). With --database the desk is the one the URL names; the tables are then read back
# through `dorod pg-export` for the check.
#
# usage: bench/add-announcements.sh [--build DIR] [--counters N] [--each N]
#                                   [--database URL]
# Defaults: build, 4 counters, 25 announcements each (250 each with --database).
set -u

build=build
counters=4
each=
database=
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    --counters) counters=$2; shift 2 ;;
    --each) each=$2; shift 2 ;;
    --database) database=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--counters N] [--each N] [--database URL]" >&2; exit 2 ;;
    esac
done
[ -n "$each" ] || { [ -n "$database" ] && each=250 || each=25; }
vornelta=$build/vornelta
dorod=$build/tools/dorod
for tool in "$vornelta" "$dorod" "$build/vornelta-demo"; do
    [ -x "$tool" ] || { echo "$tool is not built" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
desk=$work/desk
"$build/vornelta-demo" "$desk" >/dev/null || exit 1
target=(--folder "$desk")
[ -n "$database" ] && target+=(--database "$database")

# Announcement I of counter C: a text that names it, and 1 to 3 run days.
announcement() {
    local c=$1 i=$2 days=$(( $2 % 3 + 1 )) dates= d
    for ((d = 0; d < days; d++)); do
        dates+="${dates:+, }\"$(date -d "2027-01-01 + $((c * 40 + i + d)) days" +%F)\""
    done
    printf '{"Client": "СЧЕТЧИК %d", "ClientCat": "ФИЗЛИЦА", "Oplata": "НАЛИЧНЫЙ",
             "ObjCat": "ПРОЧЕЕ", "Text": "ПРОВЕРКА %d-%d продам гараж", "povt": false,
             "dates": [%s]}' "$c" "$c" "$i" "$dates"
}

sender() {
    local c=$1 i
    for ((i = 0; i < each; i++)); do
        if ! announcement "$c" "$i" |
            "$vornelta" "${target[@]}" --add-announcement - >>"$work/out.$c" 2>>"$work/err.$c"; then
            echo "counter $c, announcement $i: refused" >>"$work/err.$c"
        fi
    done
}

start=$(date +%s.%N)
for ((c = 0; c < counters; c++)); do
    sender "$c" &
done
wait
end=$(date +%s.%N)

# The tables as a fresh reader sees them.
tables=$desk
if [ -n "$database" ]; then
    tables=$work/export
    mkdir -p "$tables"
    "$dorod" pg-export "$database" "$tables" >/dev/null || exit 1
fi
"$dorod" dump --tsv "$tables/data.d" >"$work/data.tsv" || exit 1
"$dorod" dump --tsv "$tables/dates.d" >"$work/dates.tsv" || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
total=$((counters * each))
cat "$work"/out.* 2>/dev/null | cut -f1 | sort -n >"$work/numbers"
given=$(wc -l <"$work/numbers")
distinct=$(sort -u "$work/numbers" | wc -l)
[ "$given" -eq "$total" ] || fail "$given numbers printed, $total expected"
[ "$distinct" -eq "$given" ] || fail "$((given - distinct)) numbers handed out twice"
cat "$work"/err.* 2>/dev/null | grep -v "^QStandardPaths:" | head -5

# Each printed number: one row of data.d holding its counter's text, and all its days.
awk -F'\t' -v total="$total" '
    FILENAME ~ /numbers$/ { wanted[$1] = 1; next }
    FNR == 1 { for (f = 1; f <= NF; f++) column[FILENAME, $f] = f; next }
    FILENAME ~ /data.tsv$/ {
        id = $column[FILENAME, "id"]; text = $column[FILENAME, "Text"]
        if (text ~ /^ПРОВЕРКА /) {
            rows[id]++; split(text, words, " "); split(words[2], ci, "-")
            expectedDays[id] = ci[2] % 3 + 1; tests++
        }
        next
    }
    FILENAME ~ /dates.tsv$/ { days[$column[FILENAME, "id"]]++ }
    END {
        bad = 0
        for (id in wanted) {
            if (rows[id] != 1) { print "FAIL: announcement " id " is in data.d " rows[id] + 0 " times"; bad++ }
            else if (days[id] != expectedDays[id]) {
                print "FAIL: announcement " id " has " days[id] + 0 " run days of " expectedDays[id]; bad++
            }
        }
        if (tests != total) { print "FAIL: " tests + 0 " test rows in data.d, " total " sent"; bad++ }
        exit bad > 0
    }' "$work/numbers" "$work/data.tsv" "$work/dates.tsv" || failures=$((failures + 1))

seconds=$(echo "$end - $start" | bc)
printf '%d counters x %d announcements on %s: %d saved, %d distinct numbers, %.1f s (%.0f ms each)\n' \
    "$counters" "$each" "${database:-a .d folder}" "$given" "$distinct" "$seconds" \
    "$(echo "$seconds * 1000 / $total" | bc -l)"
[ "$failures" -eq 0 ] && echo "nothing lost" || { echo "$failures check(s) failed"; exit 1; }
