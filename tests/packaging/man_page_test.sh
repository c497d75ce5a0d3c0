#!/usr/bin/env bash
# The manual of vantrel-inspect against the program's own help, so that
# neither can change without the other:
# - every command of `vantrel-inspect --help` has a section headed
#   "vantrel-inspect COMMAND ARGS" with the arguments the program states,
#   and the manual has no command section the program does not know;
# - every option of `vantrel-inspect COMMAND --help` is described in that
#   command's section, and the section names no option the command lacks;
# - every replay step the program lists is described;
# - the page carries the program's version, and renders without a warning.
#
#   man_page_test.sh VANTREL_INSPECT PAGE
#
# PAGE is the configured roff source. Needs man (man-db).
set -euo pipefail
inspect=$1
page=$2

command -v man >/dev/null || { echo "SKIP: man is missing"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
complain() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The page as a reader sees it, one paragraph a line (a wide page wraps
# nothing), with any overstrike formatting removed.
render() {
  LC_ALL=C.UTF-8 MANWIDTH=400 man --warnings -l "$page" 2>"$work/warnings" | sed 's/.\x08//g'
}
render >"$work/page.txt"
[ -s "$work/page.txt" ] || complain "man rendered nothing from $page"
[ ! -s "$work/warnings" ] || complain "man warns about $page: $(cat "$work/warnings")"

version=$("$inspect" --version | sed -n 's/^vantrel-inspect //p')
grep -q "^Vantrel $version " "$work/page.txt" || complain "the page is not of version $version"

# The commands with their arguments: the lines of --help indented by two.
"$inspect" --help >"$work/help.txt"
sed -n 's/^  \([a-z][a-z-]*\) \(.*\)$/\1 \2/p' "$work/help.txt" >"$work/commands"
[ "$(wc -l <"$work/commands")" -ge 9 ] || complain "--help lists only: $(cat "$work/commands")"

# The command sections of the page, "   vantrel-inspect NAME ..." (the .SS
# headings), each with its text up to the next heading, one file a command.
awk -v dir="$work" '
  /^   vantrel-inspect / { name = $2; file = dir "/section." name; print name > (dir "/sections") }
  /^[^ ]/ { name = "" }
  name != "" { print > file }
' "$work/page.txt"
touch "$work/sections"

while read -r name synopsis; do
  section="$work/section.$name"
  if [ ! -f "$section" ]; then
    complain "the page has no section for the command $name"
    continue
  fi
  head -n 1 "$section" | grep -qF "vantrel-inspect $name $synopsis" ||
    complain "the heading of $name is '$(head -n 1 "$section" | sed 's/^ *//')', not 'vantrel-inspect $name $synopsis ...'"
  # The command's options, --help aside (described once for all).
  "$inspect" "$name" --help >"$work/help.$name"
  sed -n 's/^  \(-[a-z], \)\{0,1\}\(--[a-z][a-z-]*\).*/\2/p' "$work/help.$name" |
    sed "/^--help$/d" | sort -u >"$work/options.$name"
  while read -r option; do
    grep -qE -- "$option([^a-z-]|\$)" "$section" || complain "$name: the page does not describe $option"
  done <"$work/options.$name"
  { grep -oE -- '--[a-z][a-z-]*' "$section" || true; } | sort -u >"$work/named.$name"
  while read -r option; do
    grep -qx -- "$option" "$work/options.$name" || complain "$name: the page names $option, which $name does not take"
  done <"$work/named.$name"
  echo "$name: heading and $(wc -l <"$work/options.$name") options checked"
done <"$work/commands"

while read -r name; do
  grep -q "^$name " "$work/commands" || complain "the page describes a command $name that the program does not have"
done <"$work/sections"

# The replay steps, as --help lists them after "steps:".
steps=$(awk '/steps:/ { sub(/.*steps:/, ""); on = 1; print; next }
             on && /^      / { print; next }
             { on = 0 }' "$work/help.txt" | tr ',' '\n' | sed 's/^ *//; s/ *$//' | grep -v '^$' || true)
[ "$(echo "$steps" | wc -l)" -ge 8 ] || complain "no replay steps found in --help: '$steps'"
for step in $steps; do
  grep -qE "^ +([a-z]+, )*$step( |,|\$)" "$work/section.replay" 2>/dev/null ||
    complain "replay: the page does not describe the step $step"
done

[ "$failures" -eq 0 ] || exit 1
echo "PASS: the manual of vantrel-inspect matches its --help"
