#!/bin/bash
# install.sh BUILD: make install into staging trees and make uninstall out of them.
B=${1:?usage: install.sh build-directory}
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
W=$(mktemp -d /tmp/kernfs-install.XXXXXX) || exit 1
trap 'rm -rf -- "$W"' EXIT
. "$here/lib.sh"
emulator "$B/pidmount" || exit 1

# m TARGET DESTDIR [SETTING...]
m() {
	local t=$1 d=$2
	shift 2
	make -s -C "$top" O="$B" PREFIX=/usr DESTDIR="$d" "$@" "$t" >"$W/log" 2>&1 ||
		fail "make $t DESTDIR=$d $*" "$(cat "$W/log")"
}
# tree DIR: every entry below DIR, files with their modes
tree() { (cd "$1" && find . -mindepth 1 \( -type f -printf '%P %m\n' \) -o \( ! -type f -printf '%P %y\n' \) | sort); }
symtab() { readelf -SW "$1" | grep -q '\.symtab'; }

S=$W/stage
m install "$S"
same "what install puts in the staging tree" "$(tree "$S")" "usr d
usr/bin d
usr/bin/fdlink 755
usr/bin/pidmount 755
usr/share d
usr/share/man d
usr/share/man/man8 d
usr/share/man/man8/fdlink.8 644
usr/share/man/man8/pidmount.8 644"
for p in pidmount fdlink; do
	cmp -s "$top/kernfs/$p.8" "$S/usr/share/man/man8/$p.8" && pass || fail "$p.8 is installed as it stands"
	symtab "$S/usr/bin/$p" && fail "$p is installed stripped" "$(readelf -SW "$S/usr/bin/$p" | grep symtab)" || pass
	run "the installed $p runs" 1 "usage: $S/usr/bin/$p [-m mountpoint]"$'\n' $emu "$S/usr/bin/$p" -x
done
grep -rlF "$W" "$S" >"$W/embedded" && fail "no staging path in what is installed" "$(cat "$W/embedded")" || pass

m uninstall "$S"
same "uninstall leaves the staging tree empty" "$(tree "$S")" ""
[ -d "$S" ] && pass || fail "uninstall keeps the staging directory itself"
m uninstall "$S"
same "a second uninstall has nothing to do" "$(tree "$S")" ""

# what was there before is left, empty directories included
S=$W/shared
mkdir -p "$S/usr/bin" "$S/usr/share/man/man1"
: >"$S/usr/bin/other"
m install "$S"
m uninstall "$S"
same "uninstall removes only what install put there" "$(tree "$S")" "usr d
usr/bin d
usr/bin/other 644
usr/share d
usr/share/man d
usr/share/man/man1 d"

S=$W/symbols
m install "$S" STRIP=true
symtab "$S/usr/bin/pidmount" && symtab "$S/usr/bin/fdlink" && pass || fail "STRIP=true keeps the symbols"

closing
