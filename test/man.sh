#!/bin/sh
# man.sh BUILD: the manual pages are lint clean and their synopsis is the
# usage line the programs print.
B=${1:?usage: man.sh build-directory}
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
W=$(mktemp -d /tmp/kernfs-man.XXXXXX) || exit 1
trap 'rm -rf -- "$W"' EXIT
. "$here/lib.sh"
emulator "$B/pidmount" || exit 1

if ! command -v mandoc >/dev/null; then
	skip "manual pages" "no mandoc"
	closing
	exit
fi
for p in pidmount fdlink; do
	page=$top/kernfs/$p.8
	# lint messages go to standard output; standard error only has notes on mandoc's own index
	mandoc -Tlint -Wstyle "$page" >"$W/lint" 2>/dev/null
	# a cross-reference is looked up among the pages installed here; ours are not
	: >"$W/other"
	while IFS= read -r line; do
		case $line in
		*"referenced manual not found: Xr "*)
			xr=${line##*: Xr }
			xr=${xr%% (*}
			case $xr in
			"pidmount 8" | "fdlink 8") continue ;;
			esac
			echo "$xr" >>"$W/other"
			;;
		*) echo "$line" >>"$W/bad" ;;
		esac
	done <"$W/lint"
	if [ -s "$W/bad" ]; then
		fail "$p.8 is lint clean" "$(cat "$W/bad")"
		rm -f "$W/bad"
	else
		pass
	fi
	[ -s "$W/other" ] && skip "$p.8 cross-references" "not installed here: $(tr '\n' ' ' <"$W/other")"

	mandoc -Tascii "$page" 2>/dev/null | col -b | sed -n '/^SYNOPSIS/{n;p;q;}' | sed 's/^ *//; s/ *$//' >"$W/synopsis"
	if [ -n "$emu" ]; then
		"$emu" -0 "$p" "$B/$p" -x
	else
		bash -c 'exec -a "$0" "$1" -x' "$p" "$B/$p"
	fi 2>&1 | sed 's/^usage: //' >"$W/usage"
	if cmp -s "$W/synopsis" "$W/usage"; then
		pass
	else
		fail "$p.8 synopsis is the usage line" "page  $(cat "$W/synopsis")" "usage $(cat "$W/usage")"
	fi
done
closing
