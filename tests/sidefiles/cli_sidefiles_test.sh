#!/usr/bin/env bash
# Black-box test of the vorn-cli side-file and translation commands
# (dump --ids/--list/--tbl, export-text, import-text, resave --tbl,
# export-ids, build, diff, --help) on the committed samples.
#
#   tests/sidefiles/cli_sidefiles_test.sh build/native/tools/vorn-cli/vorn-cli samples
#   scripts/wine-run tests/sidefiles/cli_sidefiles_test.sh build/windows/tools/vorn-cli/vorn-cli.exe samples
#
# A Windows vorn-cli.exe runs under Wine and is given Z: paths.
set -u
# `... | expect` runs expect in this shell, so that its counts stay.
shopt -s lastpipe

if [ $# -ne 2 ]; then
    echo "usage: cli_sidefiles_test.sh VORN-CLI SAMPLES-DIR" >&2
    exit 2
fi
cli=$1
samples=$(cd "$2" && pwd) || exit 2

windows=
case "$cli" in *.exe) windows=1 ;; esac

work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-cli-sidefiles.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A path as vorn-cli is given it.
p() {
    if [ -n "$windows" ]; then printf 'Z:%s' "$1"; else printf '%s' "$1"; fi
}

# Runs vorn-cli with the arguments; its output goes to $work/out and
# $work/err, its exit code to $rc.
run() {
    if [ -n "$windows" ]; then
        wine "$cli" "$@" >"$work/out" 2>"$work/err"
    else
        "$cli" "$@" >"$work/out" 2>"$work/err"
    fi
    rc=$?
}

failed=0
checks=0
fail() {
    echo "FAIL $1"
    failed=1
}
# expect NAME EXIT-CODE FILE, the expected content of FILE on stdin.
expect() {
    cat >"$work/expected"
    checks=$((checks + 1))
    if [ "$rc" -ne "$2" ]; then
        fail "$1: exit code $rc, expected $2; stderr: $(cat "$work/err")"
    elif ! cmp -s "$work/expected" "$3"; then
        fail "$1: $3 holds (<) other than expected (>):"
        diff "$3" "$work/expected" | cat -A | head -10
    fi
}
# The lines given, each ended by CR LF, as the exports write them.
crlf() {
    printf '%s\r\n' "$@"
}

at=$samples/example-at.gxt
named=$samples/example-1.gxt
printf 'INTRO_1\r\nHAR_PASS RACE_GO\n\tNOSUCH' >"$work/names.ids"
printf 'RACE_GO\nINTRO_1\nBLANK\nNOSUCH\nRACE_GO' >"$work/rows.lst"

# ---- dump --------------------------------------------------------------------
run dump "$(p "$at")" --ids "$(p "$work/names.ids")"
sed -e 's/\tf4744c2c\t/\tINTRO_1\t/' -e 's/\t405c7b7b\t/\tHAR_PASS\t/' -e 's/\t7aed4159\t/\tRACE_GO\t/' \
    "$samples/expected/example-at.dump" | expect "dump --ids" 0 "$work/out"

run dump "$(p "$at")" --ids "$(p "$work/names.ids")" --list "$(p "$work/rows.lst")"
expect "dump --list" 0 "$work/out" <<'END'
RACE	RACE_GO	3... 2... 1... ~g~GO!
MAIN	INTRO_1	Welcome to ~y~Vorn Bay~w~, stranger.
MAIN	640f5ecc	
RACE	RACE_GO	3... 2... 1... ~g~GO!
END

printf 'NOSUCH OTHER' >"$work/none.lst"
run dump "$(p "$at")" --list "$(p "$work/none.lst")"
expect "dump --list naming nothing" 0 "$work/out" </dev/null

run dump "$(p "$at")" --ids "$(p "$work/absent.ids")"
echo "vorn-cli: $(p "$work/absent.ids"): cannot open the file (4001)" | expect "dump --ids of a missing file" 1 "$work/err"

# ---- export-text ---------------------------------------------------------------
run export-text "$(p "$at")" "$(p "$work/harbour.txt")" --table harbour --ids "$(p "$work/names.ids")"
crlf '0xed8ddb76=Pick up the ~y~crates~w~ at the north dock.' \
    '0xdf343ec3=~r~The guards have spotted you!~n~~w~Lose them.' \
    '0x10bea1d7=Load the crates onto the ~b~boat~w~.' \
    'HAR_PASS=~g~MISSION PASSED!~n~~w~$~1~' \
    '0xc2a1d006=~r~MISSION FAILED!' | expect "export-text --table" 0 "$work/harbour.txt"

run export-text "$(p "$named")" "$(p "$work/list.txt")" --list "$(p "$work/rows.lst")"
crlf 'RACE_GO=3... 2... 1... ~g~GO!' 'INTRO_1=Welcome to ~y~Vorn Bay~w~, stranger.' 'BLANK=' \
    'RACE_GO=3... 2... 1... ~g~GO!' | expect "export-text --list" 0 "$work/list.txt"

run export-text "$(p "$at")" "$(p "$work/x.txt")" --table NOSUCH
echo "vorn-cli: $(p "$at"): no table named NOSUCH" | expect "export-text of a missing table" 1 "$work/err"

run export-text "$(p "$at")" "$(p "$work")" --table MAIN
echo "vorn-cli: $(p "$work"): cannot create the file (7003)" | expect "export-text onto a directory" 1 "$work/err"

run export-text "$(p "$at")" "$(p "$work/x.txt")" --table MAIN --list "$(p "$work/rows.lst")"
expect "export-text with --table and --list" 2 "$work/out" </dev/null

# ---- import-text -----------------------------------------------------------------
printf 'HAR_PASS=~g~DONE!\r\n0xc2a1d006=~r~FAILED AGAIN!\nNOSUCH=ignored\r\nHAR_PASS=~g~DONE!\r\nINTRO_1\r\n' \
    >"$work/edit.txt"
run import-text "$(p "$at")" "$(p "$work/edit.txt")" "$(p "$work/edited.gxt")"
expect "import-text" 0 "$work/out" </dev/null
expect "import-text summary" 0 "$work/err" <<END
vorn-cli: $(p "$work/edit.txt"): line 3 passed over: no entry has this key
vorn-cli: $(p "$work/edit.txt"): line 5 passed over: no "=" after the key
vorn-cli: $(p "$work/edit.txt"): 2 changed, 1 equal, 2 passed over
END
run dump "$(p "$work/edited.gxt")" --ids "$(p "$work/names.ids")"
grep '^HARBOUR' "$work/out" >"$work/harbour.dump"
expect "dump of the imported file" 0 "$work/harbour.dump" <<'END'
HARBOUR	ed8ddb76	Pick up the ~y~crates~w~ at the north dock.
HARBOUR	df343ec3	~r~The guards have spotted you!~n~~w~Lose them.
HARBOUR	10bea1d7	Load the crates onto the ~b~boat~w~.
HARBOUR	HAR_PASS	~g~DONE!
HARBOUR	c2a1d006	~r~FAILED AGAIN!
END

run import-text "$(p "$at")" "$(p "$work/absent.txt")" "$(p "$work/never.gxt")"
echo "vorn-cli: $(p "$work/absent.txt"): cannot open the file (8001)" | expect "import-text of a missing file" 1 "$work/err"
checks=$((checks + 1))
[ ! -e "$work/never.gxt" ] || fail "import-text that failed wrote its output"

# A key without "=" changes nothing, whatever the line ends.
for end in '\n' '\r\n' '\r'; do
    printf "PAUSE${end}SCORE=new score${end}" >"$work/no-equals.txt"
    run import-text "$(p "$named")" "$(p "$work/no-equals.txt")" "$(p "$work/no-equals.gxt")"
    run dump "$(p "$work/no-equals.gxt")"
    grep -P '\t(PAUSE|SCORE)\t' "$work/out" >"$work/no-equals.dump"
    printf 'MAIN\tSCORE\tnew score\nMAIN\tPAUSE\tPaused\n' | expect "import-text of a key without =" 0 "$work/no-equals.dump"
done

# A key in two tables: --table says whose rows come first, else the first
# table's entry takes the text.
LC_ALL=C sed 's/HAR_PASS/PAUSE\x00\x00\x00/' "$named" >"$work/shared.gxt"
run export-text "$(p "$work/shared.gxt")" "$(p "$work/harbour.txt")" --table HARBOUR
run import-text "$(p "$work/shared.gxt")" "$(p "$work/harbour.txt")" "$(p "$work/same.gxt")" --table harbour
expect "import-text of an export, unchanged" 0 "$work/same.gxt" <"$work/shared.gxt"
printf 'PAUSE=harbour pause\r\n' >"$work/pause.txt"
for table in HARBOUR ""; do
    run import-text "$(p "$work/shared.gxt")" "$(p "$work/pause.txt")" "$(p "$work/paused.gxt")" ${table:+--table $table}
    run dump "$(p "$work/paused.gxt")"
    grep -P '\tPAUSE\t' "$work/out" >"$work/pause.dump"
    if [ -n "$table" ]; then
        printf 'MAIN\tPAUSE\tPaused\nHARBOUR\tPAUSE\tharbour pause\n'
    else
        printf 'MAIN\tPAUSE\tharbour pause\nHARBOUR\tPAUSE\t~g~MISSION PASSED!~n~~w~$~1~\n'
    fi | expect "import-text of a shared key, --table '$table'" 0 "$work/pause.dump"
done

run import-text "$(p "$named")" "$(p "$work/pause.txt")" "$(p "$work/never.gxt")" --table NOSUCH
echo "vorn-cli: $(p "$named"): no table named NOSUCH" | expect "import-text --table of a missing table" 2 "$work/err"
checks=$((checks + 1))
[ ! -e "$work/never.gxt" ] || fail "import-text with a missing table wrote its output"

# ---- decode tables ---------------------------------------------------------------
# A three-cycle, which is not its own inverse: the code 'a' shows 'o', 'o'
# shows 'e' and 'e' shows 'a'.
for c in $(seq 32 255); do
    case $c in 97) c=111 ;; 111) c=101 ;; 101) c=97 ;; esac
    printf "\\$(printf %03o "$c")"
done >"$work/cycle.tbl"
run dump "$(p "$named")" --tbl "$(p "$work/cycle.tbl")"
head -1 "$work/out" >"$work/first.dump"
printf 'MAIN\tINTRO_1\tWalcema te ~y~Vern Boy~w~, strongar.\n' | expect "dump --tbl" 0 "$work/first.dump"

run resave "$(p "$named")" "$(p "$work/resaved.gxt")" --tbl "$(p "$work/cycle.tbl")"
expect "resave --tbl" 0 "$work/resaved.gxt" <"$named"

# ---- export-ids --------------------------------------------------------------------
run export-ids "$(p "$at")" "$(p "$work/found.ids")" --ids "$(p "$work/names.ids")"
crlf INTRO_1 HAR_PASS RACE_GO | expect "export-ids" 0 "$work/found.ids"

run export-ids "$(p "$at")" "$(p "$work/found.ids")"
expect "export-ids without --ids" 2 "$work/out" </dev/null

# ---- --help and wrong commands ----------------------------------------------------
run --help
grep -c '^  vorn-cli ' "$work/out" >"$work/count"
echo 9 | expect "--help lists every command" 0 "$work/count"
run frobnicate
expect "a wrong command" 2 "$work/out" </dev/null
run diff "$(p "$at")" "$(p "$at")" --all
expect "an option the command does not take" 2 "$work/out" </dev/null

# ---- export-text --all -------------------------------------------------------------
run export-text "$(p "$samples/example-0.gxt")" "$(p "$work/all.txt")" --all
head -3 "$work/all.txt" >"$work/head.txt"
crlf '[MAIN]' 'INTRO_1=Welcome to ~y~Vorn Bay~w~, stranger.' \
    'INTRO_2=Find a car and drive to the ~b~harbour~w~.~n~Do not be late.' | expect "export-text --all" 0 "$work/head.txt"

# ---- build ---------------------------------------------------------------------------
printf '[ONE]\r\nGREET=Hello\r\nBYE=Bye\n[TWO]\rGREET=Hi there\r\n' >"$work/src.txt"
run build "$(p "$work/src.txt")" "$(p "$work/built.gxt")" --layout 1
run dump "$(p "$work/built.gxt")"
printf 'ONE\tGREET\tHello\nONE\tBYE\tBye\nTWO\tGREET\tHi there\n' | expect "dump of a built file" 0 "$work/out"

printf '[MAIN]\nA=1\nB=2\nA=3\n' >"$work/twice.txt"
run build "$(p "$work/twice.txt")" "$(p "$work/never.gxt")" --layout @
echo "vorn-cli: $(p "$work/twice.txt"):4: key A is already in table MAIN (line 2)" |
    expect "build of a key twice in one table" 1 "$work/err"
checks=$((checks + 1))
[ ! -e "$work/never.gxt" ] || fail "a refused build wrote its output"
run build "$(p "$work/src.txt")" "$(p "$work/never.gxt")" --layout 3
expect "build of an unknown layout" 2 "$work/out" </dev/null

# ---- diff -------------------------------------------------------------------------------
printf '[ONE]\r\nGREET=Hello\\x\r\nNEW=New\n[THREE]\nA=a\n' >"$work/src2.txt"
run build "$(p "$work/src2.txt")" "$(p "$work/built2.gxt")" --layout 1
run diff "$(p "$work/built.gxt")" "$(p "$work/built2.gxt")"
printf '! ONE\tGREET\tHello\tHello\\x5cx\n- ONE\tBYE\tBye\n+ ONE\tNEW\tNew\n- TWO\n+ THREE\n' >"$work/expected-diff"
expect "diff" 1 "$work/out" <"$work/expected-diff"
run diff "$(p "$work/built.gxt")" "$(p "$work/built2.gxt")" --summary
printf 'tables only in A: 1\ntables only in B: 1\nkeys only in A: 1\nkeys only in B: 1\ntexts that differ: 1\n' |
    expect "diff --summary" 1 "$work/out"
run diff "$(p "$work/built.gxt")" "$(p "$work/absent.gxt")"
echo "vorn-cli: $(p "$work/absent.gxt"): cannot open the file (2001)" | expect "diff of a missing file" 2 "$work/err"

# ---- the round trip, on every sample and on keys shared between tables -------------------
printf '[ONE]\nK1=first one\nK2=second\n[TWO]\nK2=second in two\nK1=first in two\n' >"$work/shared.txt"
for layout in 1 2; do
    run build "$(p "$work/shared.txt")" "$(p "$work/shared-$layout.gxt")" --layout $layout
done
for gxt in "$samples"/*.gxt "$work/shared-1.gxt" "$work/shared-2.gxt"; do
    name=$(basename "$gxt")
    run info "$(p "$gxt")"
    layout=$(sed 's/^layout=\(.\).*/\1/' "$work/out")
    run export-text "$(p "$gxt")" "$(p "$work/rt.txt")" --all
    run build "$(p "$work/rt.txt")" "$(p "$work/rt.gxt")" --layout "$layout"
    expect "$name: build of its export" 0 "$work/out" </dev/null
    # Built files are canonical: saving them again changes no byte.
    run resave "$(p "$work/rt.gxt")" "$(p "$work/rt-resaved.gxt")"
    checks=$((checks + 1))
    cmp -s "$work/rt.gxt" "$work/rt-resaved.gxt" || fail "$name: the built file changes when saved again"
    case "$name" in
        example-?.gxt | example-at.gxt)
            checks=$((checks + 1))
            cmp -s "$gxt" "$work/rt.gxt" || fail "$name: the sample, already canonical, built anew differs" ;;
    esac
    run diff "$(p "$gxt")" "$(p "$work/rt.gxt")"
    expect "$name: diff with the built file" 0 "$work/out" </dev/null
    # Importing an unchanged export, in bytes and in UTF-8, changes nothing.
    run resave "$(p "$gxt")" "$(p "$work/rt-resaved.gxt")"
    for encoding in bytes utf-8; do
        run export-text "$(p "$gxt")" "$(p "$work/rt.txt")" --all --encoding $encoding
        run import-text "$(p "$gxt")" "$(p "$work/rt.txt")" "$(p "$work/rt-imported.gxt")" --encoding $encoding
        sed -n '$s/^.*: \([0-9]*\) changed, [0-9]* equal, \([0-9]*\) passed over$/\1 \2/p' "$work/err" >"$work/counts"
        echo "0 0" | expect "$name: import of its $encoding export" 0 "$work/counts"
        checks=$((checks + 1))
        cmp -s "$work/rt-imported.gxt" "$work/rt-resaved.gxt" || fail "$name: importing its $encoding export changed it"
    done
done

# ---- whole-document import and UTF-8 ---------------------------------------------------
# [TWO] makes K1 change the entry of TWO, though ONE holds K1 too; a line
# before any [NAME] goes to the first table that has the key.
printf '\357\273\277K2=zwei \342\200\223 \342\202\254\r\n[two]\r\nK1=eins in zwei\r\nK2=\342\206\222\r\n[NOSUCH]\r\nK1=lost\r\n[ONE]\r\nK1=\303\274\r\n' >"$work/u8.txt"
run import-text "$(p "$work/shared-2.gxt")" "$(p "$work/u8.txt")" "$(p "$work/u8.gxt")" --encoding utf-8 --codepage 1252
{
    echo "vorn-cli: $(p "$work/u8.txt"): line 4 passed over: a character the code page cannot hold: U+2192 (→)"
    echo "vorn-cli: $(p "$work/u8.txt"): line 5 passed over: no table has this name"
    echo "vorn-cli: $(p "$work/u8.txt"): line 6 passed over: in a table that does not exist"
    echo "vorn-cli: $(p "$work/u8.txt"): 3 changed, 0 equal, 3 passed over"
} | expect "import-text of a UTF-8 whole document" 0 "$work/err"
run dump "$(p "$work/u8.gxt")"
printf 'ONE\t%s\t\374\nONE\t%s\tzwei \226 \200\nTWO\t%s\tsecond in two\nTWO\t%s\teins in zwei\n' \
    fc757bf4 657c2a4e 657c2a4e fc757bf4 >"$work/u8.expected"
expect "dump after a UTF-8 import" 0 "$work/out" <"$work/u8.expected"
run export-text "$(p "$work/u8.gxt")" "$(p "$work/u8-again.txt")" --table ONE --encoding utf-8
printf '\357\273\2770xfc757bf4=\303\274\r\n0x657c2a4e=zwei \342\200\223 \342\202\254\r\n' |
    expect "export-text in UTF-8" 0 "$work/u8-again.txt"
run build "$(p "$work/u8.txt")" "$(p "$work/never.gxt")" --layout 2 --encoding utf-8
echo "vorn-cli: $(p "$work/u8.txt"):4: code page 1252 cannot hold the character U+2192 (→)" |
    expect "build of a character the code page lacks" 1 "$work/err"
run export-text "$(p "$at")" "$(p "$work/x.txt")" --all --codepage 1251
expect "--codepage without --encoding utf-8" 2 "$work/out" </dev/null

# ---- import size limits -----------------------------------------------------------------
# A text file of 16 MiB is too large for a plain import, as in Vorn; a whole
# document ("[" first), a file with the UTF-8 mark or an import in UTF-8
# takes files up to 256 MiB. The files are sparse: zeros after the line.
while IFS='|' read -r what content options size code last; do
    printf "$content" >"$work/big.txt"
    truncate -s "$size" "$work/big.txt"
    run import-text "$(p "$named")" "$(p "$work/big.txt")" "$(p "$work/big.gxt")" $options
    tail -n 1 "$work/err" >"$work/last"
    echo "vorn-cli: $(p "$work/big.txt"): $last" | expect "import-text of $size, $what" "$code" "$work/last"
done <<'END'
bytes|NOKEY=x\r\n||16M|1|the file is 16 MiB or larger (8003)
bytes, a byte less|NOKEY=x\r\n||16777215|0|0 changed, 0 equal, 1 passed over
whole document|[NOSUCH]\r\n||16M|0|0 changed, 0 equal, 1 passed over
UTF-8 mark|\357\273\277NOKEY=x\r\n||16M|0|0 changed, 0 equal, 1 passed over
--encoding utf-8|NOKEY=x\r\n|--encoding utf-8|16M|0|0 changed, 0 equal, 1 passed over
whole document|[NOSUCH]\r\n||256M|1|the file is 256 MiB or larger (8003)
END
rm -f "$work/big.txt"

[ $failed -eq 0 ] && echo "vorn-cli side files: $checks checks passed"
exit $failed
