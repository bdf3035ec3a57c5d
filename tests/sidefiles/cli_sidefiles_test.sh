#!/usr/bin/env bash
# Black-box test of what vorn-cli itself does for the side-file and
# translation commands: arguments, exit codes, what goes to stdout and
# stderr, the files written (the C++ tests cover the core behind them).
# A vorn-cli.exe runs under Wine and is given Z: paths.
#   tests/sidefiles/cli_sidefiles_test.sh build/native/tools/vorn-cli/vorn-cli samples
#   scripts/wine-run tests/sidefiles/cli_sidefiles_test.sh build/windows/tools/vorn-cli/vorn-cli.exe samples
set -u
shopt -s lastpipe  # `... | expect` runs expect in this shell, so that its counts stay
[ $# -eq 2 ] || { echo "usage: cli_sidefiles_test.sh VORN-CLI SAMPLES-DIR" >&2; exit 2; }
cli=$1
samples=$(cd "$2" && pwd) || exit 2
[[ $cli == *.exe ]] && windows=1 || windows=
work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-cli-sidefiles.XXXXXX")
trap 'rm -rf "$work"' EXIT
p() { printf '%s%s' "${windows:+Z:}" "$1"; }  # a path as vorn-cli is given it
# Runs vorn-cli: its output goes to $work/out and $work/err, its exit code to $rc.
run() { ${windows:+wine} "$cli" "$@" >"$work/out" 2>"$work/err"; rc=$?; }
failed=0 checks=0
fail() { echo "FAIL $1"; failed=1; }
# expect NAME EXIT-CODE FILE, the expected content of FILE on stdin.
expect() {
    cat >"$work/expected"
    cat "$3" >"$work/actual"
    checks=$((checks + 1))
    if [ "$rc" -ne "$2" ]; then
        fail "$1: exit code $rc, expected $2; stderr: $(cat "$work/err")"
    elif ! cmp -s "$work/expected" "$work/actual"; then
        fail "$1: got (<) other than expected (>):"
        diff "$work/actual" "$work/expected" | cat -A | head -10
    fi
}
crlf() { printf '%s\r\n' "$@"; }  # the lines given, each ended by CR LF, as the exports write them
at=$samples/example-at.gxt
named=$samples/example-1.gxt
printf 'INTRO_1\r\nHAR_PASS RACE_GO\n\tNOSUCH' >"$work/names.ids"
ids=$(p "$work/names.ids")
printf 'RACE_GO\nINTRO_1\nBLANK\nNOSUCH\nRACE_GO' >"$work/rows.lst"

# ---- refusals: the exit code, the message and no output ------------------------------
# Each line: exit code | stderr after "vorn-cli: " (none: stdout is empty) |
# the arguments. No output file (never.*) is left.
printf 'PAUSE=harbour pause\r\n' >"$work/pause.txt"
printf 'NOSUCH OTHER' >"$work/none.lst"
printf '[MAIN]\nA=1\nB=2\nA=3\n' >"$work/twice.txt"
printf '[MAIN]\r\nA=\342\206\222\r\n' >"$work/arrow.txt"
while IFS='|' read -r code message args; do
    run $args
    stream=out && [ -n "$message" ] && stream=err
    { [ -z "$message" ] || echo "vorn-cli: $message"; } | expect "$args" "$code" "$work/$stream"
    ! ls "$work"/never.* >/dev/null 2>&1 || fail "$args: wrote its output"
done <<END
0||dump $(p "$at") --list $(p "$work/none.lst")
1|$(p "$work/absent.ids"): cannot open the file (4001)|dump $(p "$at") --ids $(p "$work/absent.ids")
1|$(p "$at"): no table named NOSUCH|export-text $(p "$at") $(p "$work/never.txt") --table NOSUCH
1|$(p "$work"): cannot create the file (7003)|export-text $(p "$at") $(p "$work") --table MAIN
2||export-text $(p "$at") $(p "$work/never.txt") --table MAIN --list $(p "$work/rows.lst")
2||export-text $(p "$at") $(p "$work/never.txt") --all --codepage 1251
1|$(p "$work/absent.txt"): cannot open the file (8001)|import-text $(p "$at") $(p "$work/absent.txt") $(p "$work/never.gxt")
2|$(p "$named"): no table named NOSUCH|import-text $(p "$named") $(p "$work/pause.txt") $(p "$work/never.gxt") --table NOSUCH
2||export-ids $(p "$at") $(p "$work/never.ids")
2||frobnicate
2||diff $(p "$at") $(p "$at") --all
1|$(p "$work/twice.txt"):4: key A is already in table MAIN (line 2)|build $(p "$work/twice.txt") $(p "$work/never.gxt") --layout @
2||build $(p "$work/twice.txt") $(p "$work/never.gxt") --layout 3
1|$(p "$work/arrow.txt"):2: code page 1252 cannot hold the character U+2192 (→)|build $(p "$work/arrow.txt") $(p "$work/never.gxt") --layout 2 --encoding utf-8
2|$(p "$work/absent.gxt"): cannot open the file (2001)|diff $(p "$at") $(p "$work/absent.gxt")
END

# ---- what the options choose --------------------------------------------------------------
run dump "$(p "$at")" --ids "$ids"
sed -e 's/\tf4744c2c\t/\tINTRO_1\t/' -e 's/\t405c7b7b\t/\tHAR_PASS\t/' -e 's/\t7aed4159\t/\tRACE_GO\t/' \
    "$samples/expected/example-at.dump" | expect "dump --ids" 0 "$work/out"
run dump "$(p "$at")" --ids "$ids" --list "$(p "$work/rows.lst")"
race=$'RACE\tRACE_GO\t3... 2... 1... ~g~GO!'
printf '%s\n' "$race" $'MAIN\tINTRO_1\tWelcome to ~y~Vorn Bay~w~, stranger.' $'MAIN\t640f5ecc\t' "$race" |
    expect "dump --list" 0 "$work/out"
run export-text "$(p "$at")" "$(p "$work/harbour.txt")" --table harbour --ids "$ids"
crlf '0xed8ddb76=Pick up the ~y~crates~w~ at the north dock.' \
    '0xdf343ec3=~r~The guards have spotted you!~n~~w~Lose them.' '0x10bea1d7=Load the crates onto the ~b~boat~w~.' \
    'HAR_PASS=~g~MISSION PASSED!~n~~w~$~1~' '0xc2a1d006=~r~MISSION FAILED!' | expect "export-text --table" 0 "$work/harbour.txt"
run export-text "$(p "$named")" "$(p "$work/list.txt")" --list "$(p "$work/rows.lst")"
crlf 'RACE_GO=3... 2... 1... ~g~GO!' 'INTRO_1=Welcome to ~y~Vorn Bay~w~, stranger.' 'BLANK=' \
    'RACE_GO=3... 2... 1... ~g~GO!' | expect "export-text --list" 0 "$work/list.txt"
run export-ids "$(p "$at")" "$(p "$work/found.ids")" --ids "$ids"
crlf INTRO_1 HAR_PASS RACE_GO | expect "export-ids" 0 "$work/found.ids"
run --help
expect "--help lists every command" 0 <(grep -c '^  vorn-cli ' "$work/out") <<<9
# A three-cycle decode table: 'a' shows 'o', 'o' shows 'e' and 'e' shows 'a'.
printf "$(printf '\\%03o' $(seq 32 255))" | LC_ALL=C tr aoe oea >"$work/cycle.tbl"
run dump "$(p "$named")" --tbl "$(p "$work/cycle.tbl")"
expect "dump --tbl" 0 <(head -1 "$work/out") <<<$'MAIN\tINTRO_1\tWalcema te ~y~Vern Boy~w~, strongar.'
run resave "$(p "$named")" "$(p "$work/resaved.gxt")" --tbl "$(p "$work/cycle.tbl")"
expect "resave --tbl" 0 "$work/resaved.gxt" <"$named"

# ---- import-text: the report on stderr, the file written, --table -------------------------
printf 'HAR_PASS=~g~DONE!\r\n0xc2a1d006=~r~FAILED AGAIN!\nNOSUCH=ignored\r\nHAR_PASS=~g~DONE!\r\nINTRO_1\r\n' >"$work/edit.txt"
run import-text "$(p "$at")" "$(p "$work/edit.txt")" "$(p "$work/edited.gxt")"
expect "import-text" 0 "$work/out" </dev/null
expect "import-text summary" 0 "$work/err" <<END
vorn-cli: $(p "$work/edit.txt"): line 3 passed over: no entry has this key
vorn-cli: $(p "$work/edit.txt"): line 5 passed over: no "=" after the key
vorn-cli: $(p "$work/edit.txt"): 2 changed, 1 equal, 2 passed over
END
run dump "$(p "$work/edited.gxt")" --ids "$ids"
printf 'HARBOUR\tHAR_PASS\t~g~DONE!\nHARBOUR\tc2a1d006\t~r~FAILED AGAIN!\n' |
    expect "dump of the imported file" 0 <(grep -P '\t(HAR_PASS|c2a1d006)\t' "$work/out")
# A key in two tables: --table says whose rows come first, else the first table's.
LC_ALL=C sed 's/HAR_PASS/PAUSE\x00\x00\x00/' "$named" >"$work/shared.gxt"
while IFS='|' read -r table main harbour; do
    run import-text "$(p "$work/shared.gxt")" "$(p "$work/pause.txt")" "$(p "$work/paused.gxt")" ${table:+--table $table}
    run dump "$(p "$work/paused.gxt")"
    expect "import-text --table '$table'" 0 <(grep -P '\tPAUSE\t' "$work/out") <<<$'MAIN\tPAUSE\t'"$main"$'\nHARBOUR\tPAUSE\t'"$harbour"
done <<'END'
HARBOUR|Paused|harbour pause
|harbour pause|~g~MISSION PASSED!~n~~w~$~1~
END

# ---- build, diff, and the round trip on every sample and on keys in two tables -------
printf '[ONE]\r\nGREET=Hello\r\nBYE=Bye\n[TWO]\rGREET=Hi there\r\n' >"$work/src.txt"
printf '[ONE]\r\nGREET=Hello\\x\r\nNEW=New\n[THREE]\nA=a\n' >"$work/src2.txt"
printf '[ONE]\nK1=first one\nK2=second\n[TWO]\nK2=second in two\nK1=first in two\n' >"$work/shared.txt"
for n in "" 2; do run build "$(p "$work/src$n.txt")" "$(p "$work/built$n.gxt")" --layout 1; done
run build "$(p "$work/shared.txt")" "$(p "$work/shared-2.gxt")" --layout 2
run diff "$(p "$work/built.gxt")" "$(p "$work/built2.gxt")"
printf '! ONE\tGREET\tHello\tHello\\x5cx\n- ONE\tBYE\tBye\n+ ONE\tNEW\tNew\n- TWO\n+ THREE\n' | expect "diff" 1 "$work/out"
run diff "$(p "$work/built.gxt")" "$(p "$work/built2.gxt")" --summary
printf 'tables only in A: 1\ntables only in B: 1\nkeys only in A: 1\nkeys only in B: 1\ntexts that differ: 1\n' |
    expect "diff --summary" 1 "$work/out"
for gxt in "$samples"/*.gxt "$work/shared-2.gxt"; do
    name=$(basename "$gxt")
    run info "$(p "$gxt")"
    layout=$(sed 's/^layout=\(.\).*/\1/' "$work/out")
    run export-text "$(p "$gxt")" "$(p "$work/rt.txt")" --all
    run build "$(p "$work/rt.txt")" "$(p "$work/rt.gxt")" --layout "$layout"
    expect "$name: build of its export" 0 "$work/out" </dev/null
    run diff "$(p "$gxt")" "$(p "$work/rt.gxt")"
    expect "$name: diff with the built file" 0 "$work/out" </dev/null
    # Built files are canonical, as are the samples whose strings are not shared.
    [[ $name == *shared* ]] && run resave "$(p "$work/rt.gxt")" "$(p "$work/canonical.gxt")" || cp "$gxt" "$work/canonical.gxt"
    expect "$name: its export built anew" 0 "$work/rt.gxt" <"$work/canonical.gxt"
    # Importing an unchanged export, in bytes and in UTF-8, changes nothing.
    run resave "$(p "$gxt")" "$(p "$work/rt-resaved.gxt")"
    for encoding in bytes utf-8; do
        run export-text "$(p "$gxt")" "$(p "$work/rt.txt")" --all --encoding $encoding
        run import-text "$(p "$gxt")" "$(p "$work/rt.txt")" "$(p "$work/rt-imported.gxt")" --encoding $encoding
        expect "$name: the import of its $encoding export" 0 "$work/rt-imported.gxt" <"$work/rt-resaved.gxt"
    done
done

# ---- UTF-8, a whole document: a line before any [NAME] goes to the first table with the key
printf '\357\273\277K2=zwei \342\200\223 \342\202\254\r\n[two]\r\nK1=eins in zwei\r\nK2=\342\206\222\r\n[NOSUCH]\r\nK1=lost\r\n' >"$work/u8.txt"
run import-text "$(p "$work/shared-2.gxt")" "$(p "$work/u8.txt")" "$(p "$work/u8.gxt")" --encoding utf-8 --codepage 1252
expect "import-text of a UTF-8 whole document" 0 "$work/err" <<END
vorn-cli: $(p "$work/u8.txt"): line 4 passed over: a character the code page cannot hold: U+2192 (→)
vorn-cli: $(p "$work/u8.txt"): line 5 passed over: no table has this name
vorn-cli: $(p "$work/u8.txt"): line 6 passed over: in a table that does not exist
vorn-cli: $(p "$work/u8.txt"): 2 changed, 0 equal, 3 passed over
END
run export-text "$(p "$work/u8.gxt")" "$(p "$work/u8-again.txt")" --table ONE --encoding utf-8
crlf $'\357\273\2770xfc757bf4=first one' $'0x657c2a4e=zwei \342\200\223 \342\202\254' | expect "export-text in UTF-8" 0 "$work/u8-again.txt"

# ---- import size limits: 16 MiB for a plain file; 256 MiB for a whole document, a file
# with the UTF-8 mark or one read as UTF-8. The files are sparse: zeros after the line.
while IFS='|' read -r content options size code last; do
    printf "$content" >"$work/big.txt"
    truncate -s "$size" "$work/big.txt"
    run import-text "$(p "$named")" "$(p "$work/big.txt")" "$(p "$work/big.gxt")" $options
    echo "vorn-cli: $(p "$work/big.txt"): $last" | expect "import-text of $size, $content $options" "$code" <(tail -1 "$work/err")
done <<'END'
NOKEY=x\r\n||16M|1|the file is 16 MiB or larger (8003)
[NOSUCH]\r\n||16M|0|0 changed, 0 equal, 1 passed over
\357\273\277NOKEY=x\r\n||16M|0|0 changed, 0 equal, 1 passed over
NOKEY=x\r\n|--encoding utf-8|16M|0|0 changed, 0 equal, 1 passed over
[NOSUCH]\r\n||256M|1|the file is 256 MiB or larger (8003)
END

[ $failed -eq 0 ] && echo "vorn-cli side files: $checks checks passed"
exit $failed
