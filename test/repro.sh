#!/bin/bash
# repro.sh: two builds of this tree, made one after the other in directories
# of different names and depths, with other time zones, locales, umasks, file
# times and job counts, must install the same bytes.  In a git work tree,
# two make dist runs must give the same tarball as well.
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
W=$(mktemp -d /tmp/kernfs-repro.XXXXXX) || exit 1
trap 'rm -rf -- "$W"' EXIT
. "$here/lib.sh"

# the tree as it stands, without what git ignores (built files) or, out of
# git, without the build directory
copy() {
	mkdir -p "$1"
	if [ -e "$top/.git" ] && command -v git >/dev/null; then
		(cd "$top" && git ls-files -coz --exclude-standard) |
			tar -C "$top" --null --ignore-failed-read -T - -cf - 2>/dev/null
	else
		tar -C "$top" --exclude=./.git --exclude=./build -cf - .
	fi | tar -C "$1" -xf -
}
# build SRC DESTDIR JOBS ENV...: settings given to the make that runs this reach both builds
build() {
	local src=$1 dest=$2 jobs=$3
	shift 3
	(cd "$src" && env "$@" make -s -j"$jobs" O=build PREFIX=/usr DESTDIR="$dest" install) >"$W/log" 2>&1 ||
		{ fail "build in $src" "$(cat "$W/log")"; return 1; }
}
# listing DIR: the installed files with their modes
listing() { (cd "$1" && find . -type f -printf '%P %m\n' | sort); }

# make dist before the builds and again after them, seconds apart
dist=
if [ -e "$top/.git" ] && command -v git >/dev/null; then
	dist=1
	(cd "$top" && make -s O="$W/d1" dist) >"$W/log" 2>&1 || fail "make dist" "$(cat "$W/log")"
fi

A=$W/a/kernfs
Z=$W/a-much-longer-name/of/some/depth/kernfs
copy "$A"
copy "$Z"
find "$Z" -exec touch -h -d '2001-02-03 04:05:06' {} +
if (umask 022; build "$A" "$W/stage1" 1 TZ=UTC LC_ALL=C) &&
	(umask 077; build "$Z" "$W/stage-two" 2 TZ=Asia/Kathmandu LC_ALL=C.UTF-8); then
	same "the same files are installed" "$(listing "$W/stage-two")" "$(listing "$W/stage1")"
	[ -n "$(listing "$W/stage1")" ] && pass || fail "something is installed"
	for f in $(cd "$W/stage1" && find . -type f | sort); do
		if cmp -s "$W/stage1/$f" "$W/stage-two/$f"; then
			pass
		else
			fail "${f#./} is the same in both builds" "$(cmp "$W/stage1/$f" "$W/stage-two/$f" 2>&1)"
		fi
	done
	for p in pidmount fdlink; do
		cmp -s "$A/build/$p" "$Z/build/$p" && pass || fail "unstripped $p is the same in both builds"
	done
fi

if [ -n "$dist" ]; then
	(cd "$top" && TZ=Asia/Kathmandu make -s O="$W/d2" dist) >"$W/log" 2>&1 || fail "make dist" "$(cat "$W/log")"
	t=$(cd "$W/d1" && echo kernfs-*.tar.gz)
	cmp -s "$W/d1/$t" "$W/d2/$t" && pass || fail "two make dist give the same $t"
	same "$t unpacks into one directory named after it" \
		"$(tar -tzf "$W/d1/$t" | cut -d/ -f1 | sort -u)" "${t%.tar.gz}"
else
	skip "make dist" "not a git work tree"
fi
closing
