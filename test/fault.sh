#!/bin/bash
# fault.sh BUILD: the real static binaries in BUILD under faults: descriptor 2
# closed, full or a pipe nobody reads; kernel errors injected by strace and
# real ones; names and values at the edges; privilege and namespaces; locale
# variables.  As root it runs itself again in a private mount namespace, on a
# tmpfs of its own; the host's /proc and / are never touched.
set -u
export LC_ALL=C
B=$(cd "${1:?usage: fault.sh build-directory}" && pwd) || exit 1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

emulator "$B/pidmount" || exit 1
if [ -n "$emu" ]; then
	skip "fault table" "its $mach binaries would run under $emu, whose own system calls strace would see"
	closing
	exit
fi
if [ "$(id -u)" -ne 0 ]; then
	skip "fault table" "not root"
	closing
	exit
fi
if [ -z "${FAULT_PRIVATE:-}" ]; then
	if ! unshare -m --propagation private true 2>/dev/null; then
		skip "fault table" "no private mount namespace (unshare -m failed)"
		closing
		exit
	fi
	FAULT_PRIVATE=1 exec unshare -m --propagation private "$BASH" "$0" "$@"
fi
if ! strace -o /dev/null true 2>/dev/null; then
	skip "fault table" "strace cannot trace here"
	closing
	exit
fi

W=$(mktemp -d /tmp/kernfs-fault.XXXXXX) || exit 1
mount -t tmpfs -o mode=755 kernfs-fault "$W" || exit 1
trap 'cd /; umount -R "$W"; rmdir "$W"' EXIT

mkdir "$W/bin"
cp "$B/pidmount" "$B/fdlink" "$B/localeprobe" "$W/bin/"
P=$W/bin/pidmount F=$W/bin/fdlink
: >"$W/file"
# fresh PROG: a new path for PROG to act on, a directory for pidmount
fresh() { if [ "$1" = pidmount ]; then mktemp -d "$W/d.XXXXXX"; else mktemp -u "$W/l.XXXXXX"; fi; }
# made PROG PATH: whether PROG's action is in place at PATH
made() {
	if [ "$1" = pidmount ]; then [ "$(stat -f -c %T "$2" 2>/dev/null)" = proc ]
	else [ "$(readlink "$2")" = /proc/self/fd ]; fi
}
verb() { if [ "$1" = pidmount ]; then echo mount; else echo symlink; fi; }
# calls FILE: the system calls of an strace log, by name
calls() { sed 's/(.*//' "$1" | tr '\n' ' '; }

# --- the binaries: no interpreter, no segment both writable and executable, a stack that is not executable
for prog in pidmount fdlink; do
	same "$prog: segments" "$(readelf -lW "$W/bin/$prog" | awk '
		$1 == "INTERP" { print $1 }
		{ f = ""; for(i = 7; i < NF; i++) f = f $i }
		$1 == "LOAD" && f ~ /W/ && f ~ /E/ { print "W+X" }
		$1 == "GNU_STACK" { print "stack", f }')" "stack RW"
done

# --- descriptor 2 closed, on /dev/full, a pipe with no reader (SIGPIPE default
# or ignored): the status is the one the message would have had, or death by
# SIGPIPE; the call is made, or not, exactly as without the fault; one write,
# never retried.
mkfifo "$W/fifo"
exec 3<>"$W/fifo" 4>"$W/fifo"
exec 3<&-
# trace FAULT COMMAND...: COMMAND under strace, descriptor 2 set up in the traced
# process itself; leaves its calls, in short, in $W/sum and gives strace's status,
# which is the program's, a signal included
trace() {
	local redir sig=--default-signal=PIPE st
	case $1 in
	closed) redir='exec 2>&-' ;;
	full) redir='exec 2>/dev/full' ;;
	pipe) redir='exec 2>&4' ;;
	pipe-ignored) redir='exec 2>&4' sig=--ignore-signal=PIPE ;;
	esac
	shift
	env "$sig" strace -o "$W/trace" -e trace=mount,symlink,write \
		bash -c "$redir; exec \"\$@\"" sh "$@" >"$W/out" 2>&1
	st=$?
	sed -E '/^---/d; s/^(mount|symlink|write)\(.*\) = (-?[0-9]+)( [A-Z]+)?.*/\1=\2\3/;
		s/^\+\+\+ (killed by|exited with) ([A-Z0-9]+).*/\2/' "$W/trace" | tr '\n' ' ' >"$W/sum"
	return $st
}
for fault in closed full pipe pipe-ignored; do
	case $fault in
	closed) e=EBADF ;;
	full) e=ENOSPC ;;
	pipe*) e=EPIPE ;;
	esac
	end=1 st1=1
	[ "$fault" = pipe ] && end=SIGPIPE st1=141
	for prog in pidmount fdlink; do
		bin=$W/bin/$prog v=$(verb "$prog")
		# usage: no call
		p=$(fresh "$prog")
		trace "$fault" "$bin" -m "$p" -x
		same "$fault: $prog usage: status" "$(status $?)" "$(status $st1)"
		same "$fault: $prog usage: calls" "$(cat "$W/sum")" "write=-1 $e $end "
		! made "$prog" "$p" && pass || fail "$fault: $prog usage: no action"
		# the call succeeds: nothing is written, the action is made
		p=$(fresh "$prog")
		trace "$fault" "$bin" -m "$p"
		same "$fault: $prog made: status" "$(status $?)" 0
		same "$fault: $prog made: calls" "$(cat "$W/sum")" "$v=0 0 "
		made "$prog" "$p" && pass || fail "$fault: $prog made: action in place"
		# the call is refused: one call, one write
		if [ "$prog" = pidmount ]; then p=$W/nonexistent r="mount=-1 ENOENT"; else p=$W/file r="symlink=-1 EEXIST"; fi
		trace "$fault" "$bin" -m "$p"
		same "$fault: $prog refused: status" "$(status $?)" "$(status $st1)"
		same "$fault: $prog refused: calls" "$(cat "$W/sum")" "$r write=-1 $e $end "
	done
done
same "the refused link left the file as it was" "$(stat -c '%F %s' "$W/file")" "regular empty file 0"
# and without strace in between
env --default-signal=PIPE "$P" -x 2>&4
same "pipe: dies by SIGPIPE untraced" "$(status $?)" "$(status 141)"
env --ignore-signal=PIPE "$F" -m "$W/file" 2>&4
same "pipe-ignored: status 1 untraced" "$(status $?)" 1
exec 4>&-

# --- kernel errors, injected: musl's wording, exactly one call, no retry, nothing made
# k PROG ERRNO TEXT
k() {
	local prog=$1 err=$2 text=$3 bin=$W/bin/$1 v p
	v=$(verb "$prog")
	p=$(fresh "$prog")
	run "$prog, $v fails with $err" 1 "$bin: $v: $text"$'\n' \
		strace -qq -o "$W/trace" -e inject="$v:error=$err" "$bin" -m "$p"
	same "$prog, $v fails with $err: calls" "$(calls "$W/trace")" \
		"execve arch_prctl set_tid_address $v write exit_group "
	! made "$prog" "$p" && pass || fail "$prog, $v fails with $err: nothing made"
}
k pidmount EBUSY "Resource busy"
k pidmount EROFS "Read-only file system"
k pidmount EACCES "Permission denied"
k pidmount ENODEV "No such device"
k pidmount EINVAL "Invalid argument"
k pidmount ENOMEM "Out of memory"
k pidmount EINTR "Interrupted system call"
k fdlink EROFS "Read-only file system"
k fdlink ENOSPC "No space left on device"
k fdlink EIO "I/O error"
k fdlink EDQUOT "Quota exceeded"
k fdlink EINTR "Interrupted system call"

# --- the write itself fails or comes up short: the message ends there, status unchanged
long=./$(printf '%*s' 998 '' | tr ' ' x)
msg="usage: $long [-m mountpoint]"$'\n'
# w NAME INJECT WRITES STDERR
w() {
	run "$1" 1 "$4" strace -qq -o "$W/trace" -e trace=write -e inject="write:$2" \
		bash -c 'exec -a "$0" "$@"' "$long" "$P" -x
	same "$1: writes" "$(grep -c '^write(' "$W/trace")" "$3"
}
w "second of four writes fails" error=EIO:when=2 2 "${msg:0:256}"
w "short first write" retval=100:when=1 1 ""
w "first write interrupted" error=EINTR:when=1 1 ""
w "first write would block" error=EAGAIN:when=1 1 ""

# --- real refusals whose wording is musl's
rep() { local i; for((i = 0; i < $2; i++)); do printf '%s' "$1"; done; }
long256=$(rep a 256)
deep=$W$(rep /a 2100)
ln -s loop "$W/loop"
e() { run "$1 -m $3" 1 "$W/bin/$1: $(verb "$1"): $4"$'\n' "$W/bin/$1" -m "$2"; }
e pidmount "$W/$long256" "DIR/<256 bytes>" "Filename too long"
e fdlink "$W/$long256" "DIR/<256 bytes>" "Filename too long"
e pidmount "$deep" "<path of 4 KiB>" "Filename too long"
e fdlink "$deep" "<path of 4 KiB>" "Filename too long"
e pidmount "$W/loop" "DIR/loop" "Symbolic link loop"
e fdlink "$W/loop/x" "DIR/loop/x" "Symbolic link loop"

# --- long names leave in consecutive writes of up to 256 bytes, whole sequences
# in each, that together are the message
# sizes NAME ARGV0 STDERR SIZES ARG...
sizes() {
	local name=$1 a0=$2 want=$3 wsizes=$4
	shift 4
	run "$name" 1 "$want" strace -qq -o "$W/trace" -xx -s 65536 -e trace=write \
		bash -c 'exec -a "$0" "$@"' "$a0" "$@"
	same "$name: write sizes" "$(sed -n 's/^write(2, .*) = \([0-9-]*\)$/\1/p' "$W/trace" | tr '\n' ' ')" "$wsizes"
}
name=./$(rep x 4998)
sizes "usage, 5 KiB name" "$name" "usage: $name [-m mountpoint]"$'\n' "$(rep '256 ' 19)160 " "$P" -x
name=./$(rep y 2998)
sizes "fatal report, 3 KiB name" "$name" "$name: mount: No such file or directory"$'\n' \
	"$(rep '256 ' 11)219 " "$P" -m "$W/nonexistent"
# "usage: " and 124 two-byte letters are 255 bytes: the 125th does not fit
name=$(rep $'\xc3\xa9' 2000)
sizes "usage, 4000-byte UTF-8 name" "$name" "usage: $name [-m mountpoint]"$'\n' \
	"255 $(rep '256 ' 14)185 " "$F" -x
# each bad byte is three bytes out: 83 fit after "usage: ", then 85 a write
name=$(rep $'\xff' 1000)abc
sizes "usage, 1000 bad bytes in the name" "$name" "usage: $(rep $'\xef\xbf\xbd' 1000)abc [-m mountpoint]"$'\n' \
	"256 $(rep '255 ' 10)221 " "$F" -x

# values that are not UTF-8, or hold a newline and escape bytes, reach the kernel unchanged
odd=$'n\nl\e[0m\xff\xfe\xc1\xad'
run "fdlink -m with odd bytes" 0 "" "$F" -m "$W/$odd"
same "the link has exactly that name" "$(readlink -- "$W/$odd")" /proc/self/fd
mkdir -- "$W/d-$odd"
run "pidmount -m with odd bytes" 0 "" "$P" -m "$W/d-$odd"
made pidmount "$W/d-$odd" && pass || fail "proc mounted at exactly that name"

# --- privilege
nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
if nobody true 2>/dev/null; then
	mkdir -m 755 "$W/nobody" "$W/closed"
	chown 65534:65534 "$W/nobody"
	chmod 700 "$W/closed"
	run "fdlink as nobody in its own directory" 0 "" nobody "$F" -m "$W/nobody/fd"
	same "the link is nobody's" "$(stat -c %u "$W/nobody/fd") $(readlink "$W/nobody/fd")" "65534 /proc/self/fd"
	run "fdlink as nobody, no search permission" 1 "$F: symlink: Permission denied"$'\n' \
		nobody "$F" -m "$W/closed/fd"
else
	skip "unprivileged user" "setpriv cannot drop to uid 65534"
fi
if unshare --user --map-root-user --mount true 2>/dev/null; then
	p=$(fresh pidmount)
	run "pidmount in a user namespace, same PID namespace" 1 "$P: mount: Operation not permitted"$'\n' \
		unshare --user --map-root-user --mount "$P" -m "$p"
	p=$(fresh pidmount)
	unshare --user --map-root-user --mount --pid --fork \
		bash -c '"$0" -m "$1" || exit; cd "$1" && echo [0-9]*' "$P" "$p" >"$W/out" 2>"$W/err"
	st=$?
	same "pidmount in a user and PID namespace: status and stderr" "$(status $st) $(bytes "$W/err")" "0 "
	# the shell that lists the new proc is the namespace's process 1, and alone now
	same "the new proc shows the new namespace's processes" "$(cat "$W/out")" 1
else
	skip "user namespaces" "unshare --user cannot run here"
fi

# --- locale variables change nothing: a catalog that would translate the messages
# for a program that took its locale from the environment
mkdir "$W/loc"
cat >"$W/de.po" <<'END'
msgid ""
msgstr "Content-Type: text/plain; charset=UTF-8\n"

msgid "No such file or directory"
msgstr "Datei oder Verzeichnis nicht gefunden"

msgid "File exists"
msgstr "Datei existiert bereits"

msgid "Operation not permitted"
msgstr "Vorgang nicht zulässig"
END
msgfmt -o "$W/loc/de_DE.UTF-8" "$W/de.po"
de() { env MUSL_LOCPATH="$W/loc" LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 LC_MESSAGES=de_DE.UTF-8 LANGUAGE=de "$@"; }
same "the catalog translates for a program that reads the locale" "$(de "$W/bin/localeprobe")" \
	"Datei oder Verzeichnis nicht gefunden"
run "German locale: pidmount refused" 1 "$P: mount: No such file or directory"$'\n' de "$P" -m "$W/nonexistent"
run "German locale: fdlink refused" 1 "$F: symlink: File exists"$'\n' de "$F" -m "$W/file"
run "German locale: usage" 1 "usage: $P [-m mountpoint]"$'\n' de "$P" -x
if nobody true 2>/dev/null; then
	run "German locale: pidmount unprivileged" 1 "$P: mount: Operation not permitted"$'\n' nobody env MUSL_LOCPATH="$W/loc" LC_ALL=de_DE.UTF-8 "$P" -m "$W/nobody"
fi

closing
