#!/usr/bin/env bash
# Holds the manual pages to the programs' own help: every option pelmaris --help lists is in
# pelmaris.1; every command corvanel --help lists has a subsection in corvanel.1 naming every
# option of its own --help, no subsection names a command that is gone, and every exit
# status the help lists is described.
# Usage: check-manpages.sh PELMARIS CORVANEL MANDIR (MANDIR holds pelmaris.1.in, corvanel.1.in)
set -euo pipefail
pelmaris=$1 corvanel=$2 mandir=$3
faults=0
fault() { echo "check-manpages: $*" >&2; faults=$((faults + 1)); }

# The page's text with roff's escaped hyphens and font changes undone.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$mandir/$1.1.in"; }
# The options of a help text: "  -h, --help" or "  --company DIR" at the start of a line.
options() { grep -oE '^  (-[^ ,]+, )?--[a-z][a-z-]*' | grep -oE -- '(^  -[^ ,-]+|--[a-z][a-z-]*)' | sed 's/^ *//'; }
# One section (.SH) or subsection (.SS) of a page, up to the next one.
part() { awk -v head="$2" '$0 == head { on = 1; next } /^\.S[HS] / { on = 0 } on' <<<"$1"; }
# The option as a word of its own: --help is not found in --help-all.
has() { grep -qE -- "(^|[^a-z-])$2([^a-z-]|\$)" <<<"$1"; }

page=$(plain pelmaris)
for option in $("$pelmaris" --help | options); do
  has "$page" "$option" || fault "pelmaris.1 lacks $option"
done

page=$(plain corvanel)
help=$("$corvanel" --help)
commands=$(awk '/^Comenzi:/ { on = 1; next } /^$/ { on = 0 } on { print $1 }' <<<"$help")
[ -n "$commands" ] || fault "corvanel --help lists no command"
for command in $commands; do
  section=$(part "$page" ".SS $command")
  if [ -z "$section" ]; then
    fault "corvanel.1 has no subsection for the command $command"
    continue
  fi
  for option in $("$corvanel" "$command" --help | options); do
    [ "$option" = --help ] || has "$section" "$option" || fault "corvanel.1, command $command, lacks $option"
  done
done
for documented in $(sed -n 's/^\.SS //p' <<<"$page"); do
  grep -qxF -- "$documented" <<<"$commands" || fault "corvanel.1 describes $documented, which is no command"
done
statuses=$(part "$page" ".SH STARE LA IESIRE")
for status in $(grep -oE '^  [0-9]+ ' <<<"$help"); do
  grep -qxF ".B $status" <<<"$statuses" || fault "corvanel.1 does not describe exit status $status"
done

[ "$faults" -eq 0 ] && echo "check-manpages: the manual pages name every command, option and exit status of the help"
exit $((faults > 0))
