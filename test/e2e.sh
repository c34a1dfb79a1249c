#!/bin/bash
# e2e.sh BUILD: tables over the real static binaries in BUILD.
# As root the script runs itself again in a private mount namespace and
# works only on a tmpfs of its own there; the host's /proc and / are never
# touched.  Without root or namespaces those cases are skipped, with the reason.
set -u
B=$(cd "${1:?usage: e2e.sh build-directory}" && pwd) || exit 1
here=$(cd "$(dirname "$0")" && pwd)

. "$here/lib.sh"
emulator "$B/pidmount" || exit 1

if [ "$(id -u)" -eq 0 ] && [ -z "${E2E_PRIVATE:-}" ]; then
	if unshare -m --propagation private true 2>/dev/null; then
		E2E_PRIVATE=1 exec unshare -m --propagation private "$BASH" "$0" "$@"
	fi
	noroot="no private mount namespace (unshare -m failed)"
elif [ "$(id -u)" -ne 0 ]; then
	noroot="not root"
else
	noroot=
fi

W=$(mktemp -d /tmp/kernfs-e2e.XXXXXX) || exit 1
if [ -z "$noroot" ]; then
	mount -t tmpfs -o mode=755 kernfs-e2e "$W" || exit 1
	trap 'cd /; umount -R "$W"; rmdir "$W"' EXIT
else
	trap 'rm -rf -- "$W"' EXIT
fi

mkdir "$W/bin"
cp "$B/pidmount" "$B/fdlink" "$B/probe" "$W/bin/"
def_pidmount=/proc
def_fdlink=/fd

usageline() { printf 'usage: %s [-m mountpoint]\n' "$1"; }

hex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n' | sed 's/../\\x&/g'; }

# the one call each program makes, as strace -xx writes it
call() {
	case $1 in
	pidmount) printf 'mount("%s", "%s", "%s", 0, NULL)' "$(hex proc)" "$(hex "$2")" "$(hex proc)" ;;
	fdlink)
		# aarch64 has only the *at form of the call
		if [ "$mach" = aarch64 ]; then
			printf 'symlinkat("%s", AT_FDCWD, "%s")' "$(hex /proc/self/fd)" "$(hex "$2")"
		else
			printf 'symlink("%s", "%s")' "$(hex /proc/self/fd)" "$(hex "$2")"
		fi ;;
	esac
}

# --- the command line, over both programs; the call is answered by strace, never made
if ! strace -o /dev/null true 2>/dev/null; then
	skip "command-line table" "strace cannot trace here"
else
	# g WANT ARG...: WANT is the value passed on, DEF the program's default, USAGE the usage line
	g() {
		local want=$1 prog bin v st name
		shift
		for prog in pidmount fdlink; do
			bin=$W/bin/$prog
			name="$prog $(printf '%q ' "$@")"
			strace -o "$W/trace" -qq -xx -s 65536 -e trace=mount,symlink,symlinkat \
				-e inject=mount,symlink,symlinkat:retval=0 $emu "$bin" "$@" >"$W/out" 2>"$W/err"
			st=$?
			if [ "$want" = USAGE ]; then
				usageline "$bin" >"$W/want"
				if [ "$st" -eq 1 ] && cmp -s "$W/err" "$W/want" && [ ! -s "$W/trace" ]; then
					pass
				else
					fail "$name" "status $(status "$st"), want 1 and no call" \
						"stderr $(bytes "$W/err")" "calls $(cat "$W/trace")"
				fi
				continue
			fi
			v=$want
			[ "$want" = DEF ] && eval v=\$def_$prog
			printf '%s = 0 (INJECTED)\n' "$(call "$prog" "$v")" >"$W/want"
			if [ "$st" -eq 0 ] && [ ! -s "$W/err" ] && cmp -s "$W/trace" "$W/want"; then
				pass
			else
				fail "$name" "status $(status "$st"), want 0" "stderr $(bytes "$W/err")" \
					"calls $(cat "$W/trace")" "want  $(cat "$W/want")"
			fi
		done
	}
	g DEF
	g DEF extra
	g /x -m /x
	g /x -m/x
	g /b -m /a -m /b
	g /x -m /x extra
	g -x -m -x
	g -- -m --
	g '' -m ''
	g x -mx
	g =/x -m=/x
	g $'\xc3\xa9' -m$'\xc3\xa9'
	g $'\xff\xfe' -m $'\xff\xfe'
	g $'a\nb\e[0m' -m $'a\nb\e[0m'
	g DEF -- -m /x
	g DEF - -m /x
	g DEF foo -m /x
	g DEF '' -m /x
	g USAGE -m
	g USAGE -m /a -m
	g USAGE -x
	g USAGE -xm /a
	g USAGE -mx -y
	g USAGE --x
	g USAGE --m
	g USAGE -M
	g DEF -
	g USAGE $'-\xc1\xad' /a
	g USAGE $'-\xc3\xa9'
fi

# --- the program name, as invoked, in the usage line
(cd "$W/bin" && run "usage names ./pidmount" 1 "$(usageline ./pidmount)"$'\n' $emu ./pidmount -x)
run "usage names the full path" 1 "$(usageline "$W/bin/fdlink")"$'\n' $emu "$W/bin/fdlink" -x
# n ARGV0 PRINTED
n() {
	if [ -n "$emu" ]; then
		set -- "$1" "$2" "$emu" -0 "$1"
	else
		set -- "$1" "$2" bash -c 'exec -a "$0" "$@"' "$1"
	fi
	run "usage with argv0 $(printf '%q' "$1")" 1 "$(usageline "$2")"$'\n' "${@:3}" "$W/bin/pidmount" -x
}
n $'./x\xff' ./x
n $'\xffabc' $'\xef\xbf\xbdabc'
n $'./\xc3\xa9' $'./\xc3\xa9'
n $'./x\xe2\x82' ./x
n '' ''

if [ -n "$noroot" ]; then
	skip "mounts, links and kernel errors" "$noroot"
	closing
	exit
fi

# --- the effect, for real
P=$W/bin/pidmount F=$W/bin/fdlink

# fstype source options of the mount at $1, from mountinfo
mnt() { awk -v m="$1" '$5 == m { for(i = 7; $i != "-"; i++); print $(i+1), $(i+2), $6 }' /proc/self/mountinfo; }

mkdir "$W/p" "$W/q"
run "pidmount -m dir" 0 "" $emu "$P" -m "$W/p"
same "proc mounted at -m dir, read-write" "$(mnt "$W/p" | cut -d, -f1)" "proc proc rw"
run "pidmount -mdir" 0 "" $emu "$P" -m"$W/q"
same "proc mounted at -mdir" "$(mnt "$W/q" | cut -d' ' -f1,2)" "proc proc"
[ -e "$W/p/self/fd" ] && pass || fail "the new proc serves /proc/self/fd"

# one call and nothing more, on success and on failure
seq() { strace -qq -o "$W/trace" "$@" >/dev/null 2>&1; sed 's/(.*//' "$W/trace" | tr '\n' ' '; }
mkdir "$W/s"
if [ -n "$emu" ]; then
	skip "system calls in order" "strace would see the calls of $emu"
else
	same "system calls of a mount" "$(seq "$P" -m "$W/s")" "execve arch_prctl set_tid_address mount exit_group "
	same "system calls of a failed mount" "$(seq "$P" -m "$W/nonexistent")" "execve arch_prctl set_tid_address mount write exit_group "
	same "system calls of a link" "$(seq "$F" -m "$W/sl")" "execve arch_prctl set_tid_address symlink exit_group "
	same "system calls of a failed link" "$(seq "$F" -m "$W/sl")" "execve arch_prctl set_tid_address symlink write exit_group "
	same "system calls of a usage error" "$(seq "$F" -x)" "execve arch_prctl set_tid_address write exit_group "
fi

run "fdlink -m path" 0 "" $emu "$F" -m "$W/l"
same "link text" "$(readlink "$W/l")" /proc/self/fd
before=$(stat -c '%i %Y' "$W/l")
run "fdlink twice" 1 "$F: symlink: File exists"$'\n' $emu "$F" -m "$W/l"
same "the first link is left as it was" "$(stat -c '%i %Y' "$W/l") $(readlink "$W/l")" "$before /proc/self/fd"

# the defaults, in a chroot that holds nothing but the programs
R=$W/root
mkdir -p "$R/bin" "$R/proc"
cp "$P" "$F" "$W/bin/probe" "$R/bin/"
if [ -n "$emu" ]; then
	mkdir -p "$R${emu%/*}"
	cp "$emu" "$R$emu"
fi
echo data >"$R/data"
run "fdlink with no arguments" 0 "" chroot "$R" $emu /bin/fdlink
same "/fd is a link to /proc/self/fd" "$(readlink "$R/fd")" /proc/self/fd
chroot "$R" $emu /bin/probe /fd/0 <"$R/data"
same "/fd does not resolve before proc is mounted" "$?" 2
run "pidmount with no arguments" 0 "" chroot "$R" $emu /bin/pidmount
same "proc mounted at /proc" "$(mnt "$R/proc" | cut -d' ' -f1,2)" "proc proc"
chroot "$R" $emu /bin/probe /fd/0 <"$R/data"
same "/fd/0 is descriptor 0 once proc is mounted" "$?" 0

# --- the kernel's refusals, in musl's words
: >"$W/file"
mkdir -m 755 "$W/ro"
# e PROG PATH DESCRIPTION [AS...]: the fatal report for a refused call
e() {
	local prog=$1 path=$2 why=$3 bin verb
	shift 3
	bin=$W/bin/$prog
	verb=mount
	[ "$prog" = fdlink ] && verb=symlink
	run "$prog -m $(printf '%q' "$path") $*" 1 "$bin: $verb: $why"$'\n' "$@" $emu "$bin" -m "$path"
}
e pidmount "$W/nonexistent" "No such file or directory"
e pidmount "" "No such file or directory"
e pidmount "$W/file" "Not a directory"
e fdlink "$W/nonexistent/l" "No such file or directory"
e fdlink "$W/file" "File exists"
e fdlink "$W/ro" "File exists"
if setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
	mkdir "$W/u"
	e pidmount "$W/u" "Operation not permitted" setpriv --reuid=65534 --regid=65534 --clear-groups
	e fdlink "$W/ro/l" "Permission denied" setpriv --reuid=65534 --regid=65534 --clear-groups
	[ -z "$(mnt "$W/u")" ] && [ ! -e "$W/ro/l" ] && pass || fail "refused calls leave nothing behind"
else
	skip "unprivileged refusals" "setpriv cannot drop to uid 65534"
fi

closing
