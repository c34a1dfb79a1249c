#!/bin/sh
# bench.sh BUILD OUT [ROUNDS [SEED]]: pidmount and fdlink against the floor
# and the peers; writes OUT/results.md and OUT/time.png and prints the table.
# As root only: it runs itself again in a private mount namespace and works
# on a tmpfs of its own there, where every mount and link is made and undone;
# the host's /proc and / are never touched.
set -eu
B=$(cd "${1:?usage: bench.sh build-directory out-directory [rounds [seed]]}" && pwd)
OUT=$(cd "${2:?usage: bench.sh build-directory out-directory [rounds [seed]]}" && pwd)
ROUNDS=${3:-2000}
SEED=${4:-1}

if [ "$(id -u)" -ne 0 ]; then
	echo "bench.sh: needs root, for the mounts" >&2
	exit 1
fi
if [ -z "${BENCH_PRIVATE:-}" ]; then
	BENCH_PRIVATE=1 exec unshare -m --propagation private sh "$0" "$@"
fi

T=$(mktemp -d /tmp/kernfs-bench.XXXXXX)
mount -t tmpfs -o mode=755 kernfs-bench "$T"
trap 'cd /; umount -R "$T"; rmdir "$T"' EXIT
trap 'exit 1' HUP INT TERM
# ours and the floors under the same names in sibling directories of the
# same length, so that argv[0], and with it every message, is as long
mkdir "$T/k" "$T/f" "$T/mnt" "$T/proc" "$T/w"
cp "$B/pidmount" "$B/fdlink" "$T/k/"
cp "$B/bench/floor-exit" "$T/f/exit"
cp "$B/bench/floor-mount" "$T/f/pidmount"
cp "$B/bench/floor-link" "$T/f/fdlink"
strip "$T/k/pidmount" "$T/k/fdlink" "$T/f/exit" "$T/f/pidmount" "$T/f/fdlink"
: >"$T/file"
mount -t proc proc "$T/proc"
R=$B/bench/runner

mount=$(command -v mount) ln=$(command -v ln)
busybox=$(command -v busybox) toybox=$(command -v toybox)

# the cases: name, floor, undo, status, path, argv...
tab=$(printf '\t')
{
	echo "exit${tab}exit${tab}-${tab}0${tab}$T/f/exit${tab}$T/f/exit"
	for p in ok fail; do
		if [ $p = ok ]; then d=$T/mnt u=umount:$T/mnt s=0; else d=$T/none u=- s=1; fi
		f=mount-$p-floor
		echo "$f${tab}$f${tab}$u${tab}$s${tab}$T/f/pidmount${tab}$T/f/pidmount${tab}$d"
		echo "mount-$p-ours${tab}$f${tab}$u${tab}$s${tab}$T/k/pidmount${tab}$T/k/pidmount${tab}-m${tab}$d"
		echo "mount-$p-util-linux${tab}$f${tab}$u${tab}$s${tab}$mount${tab}$mount${tab}-t${tab}proc${tab}proc${tab}$d"
		echo "mount-$p-busybox${tab}$f${tab}$u${tab}$s${tab}$busybox${tab}$busybox${tab}mount${tab}-t${tab}proc${tab}proc${tab}$d"
		echo "mount-$p-toybox${tab}$f${tab}$u${tab}$s${tab}$toybox${tab}$toybox${tab}mount${tab}-t${tab}proc${tab}proc${tab}$d"
	done
	for p in ok fail; do
		if [ $p = ok ]; then d=$T/fd u=unlink:$T/fd s=0; else d=$T/file u=- s=1; fi
		f=link-$p-floor
		echo "$f${tab}$f${tab}$u${tab}$s${tab}$T/f/fdlink${tab}$T/f/fdlink${tab}$d"
		echo "link-$p-ours${tab}$f${tab}$u${tab}$s${tab}$T/k/fdlink${tab}$T/k/fdlink${tab}-m${tab}$d"
		echo "link-$p-coreutils${tab}$f${tab}$u${tab}$s${tab}$ln${tab}$ln${tab}-s${tab}/proc/self/fd${tab}$d"
		echo "link-$p-busybox${tab}$f${tab}$u${tab}$s${tab}$busybox${tab}$busybox${tab}ln${tab}-s${tab}/proc/self/fd${tab}$d"
		echo "link-$p-toybox${tab}$f${tab}$u${tab}$s${tab}$toybox${tab}$toybox${tab}ln${tab}-s${tab}/proc/self/fd${tab}$d"
	done
} >"$T/w/cases"

# undo NAME: what the runner does after a successful run
undo() {
	case $1 in
	mount-ok-*) umount "$T/mnt" ;;
	link-ok-*) rm "$T/fd" ;;
	esac
}

# each case once more under strace and callgrind, in the runner's environment
echo "bench: system calls and instructions" >&2
while IFS="$tab" read -r name floor u st path argv0 args; do
	set -f
	IFS=$tab
	set -- $args
	IFS=' '
	set +f
	env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin strace -f -qq -o "$T/w/strace" "$path" "$@" >/dev/null 2>&1 || :
	undo "$name"
	sys=$(wc -l <"$T/w/strace")
	# valgrind will not run a set-user-id file: a plain copy does the same for root
	vpath=$path
	if [ -u "$path" ]; then
		mkdir -p "$T/w/plain"
		vpath=$T/w/plain/${path##*/}
		cp "$path" "$vpath"
	fi
	env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin valgrind -q --tool=callgrind \
		--callgrind-out-file="$T/w/callgrind" "$vpath" "$@" >/dev/null 2>&1 || :
	undo "$name"
	ins=$(awk '$1 == "summary:" { print $2 }' "$T/w/callgrind")
	strip -o "$T/w/stripped" "$path" 2>/dev/null || cp "$path" "$T/w/stripped"
	size=$(wc -c <"$T/w/stripped")
	if readelf -lW "$path" | grep -q INTERP; then link=dynamic; else link=static; fi
	printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$sys" "$ins" "$size" "$link"
done <"$T/w/cases" >"$T/w/static"

echo "bench: peak memory" >&2
"$R" rss 15 "$T/proc" "$T/w/cases" >"$T/w/rss"

echo "bench: $ROUNDS interleaved rounds" >&2
start=$(date +%s)
"$R" time "$ROUNDS" "$SEED" "$T/w/cases" >"$T/w/time"
secs=$(($(date +%s) - start))

load=$(cut -d' ' -f1-3 "$T/proc/loadavg")
sh "$(dirname "$0")/report.sh" "$T/w" "$OUT" "$ROUNDS" "$secs" "$load" "$(nproc)"
