# Bookkeeping for the shell tables: sourced, with W set to a scratch directory.
npass=0 nfail=0 nskip=0

pass() { npass=$((npass + 1)); }

# fail NAME [DETAIL...]
fail() {
	nfail=$((nfail + 1))
	printf 'FAIL %s\n' "$1"
	shift
	for d; do printf '\t%s\n' "$d"; done
}

# skip NAME REASON: never silent
skip() {
	nskip=$((nskip + 1))
	printf 'SKIP %s: %s\n' "$1" "$2"
}

closing() {
	printf '%d passed, %d failed, %d skipped\n' "$npass" "$nfail" "$nskip"
	[ "$nfail" -eq 0 ]
}

bytes() { od -An -c -- "$1" | tr -s ' \n' ' '; }

# status N: a description of exit status N, naming a signal
status() {
	if [ "$1" -gt 128 ]; then echo "$1 (crashed: signal $(($1 - 128)))"; else echo "$1"; fi
}

# run NAME STATUS STDERR COMMAND...: the exit status and every byte of
# descriptor 2 must be as given; nothing may reach descriptor 1.
run() {
	local name=$1 want=$2 werr=$3 st
	shift 3
	"$@" >"$W/out" 2>"$W/err"
	st=$?
	printf '%s' "$werr" >"$W/want"
	if [ "$st" -eq "$want" ] && cmp -s "$W/want" "$W/err" && [ ! -s "$W/out" ]; then
		pass
	else
		fail "$name" "status $(status "$st"), want $want" \
			"stderr $(bytes "$W/err")" "want   $(bytes "$W/want")" \
			"stdout $(bytes "$W/out")"
	fi
}

# same NAME GOT WANT
same() {
	if [ "$2" = "$3" ]; then pass; else fail "$1" "got  '$2'" "want '$3'"; fi
}

# emulator BIN: sets mach to the machine BIN is built for and, when that is
# not this one, emu to its user-mode emulator, which then starts each binary
emulator() {
	case $(od -An -tx1 -j18 -N2 "$1" | tr -d ' \n') in
	b700) mach=aarch64 ;;
	3e00) mach=x86_64 ;;
	*) mach=$(uname -m) ;;
	esac
	emu=
	if [ "$mach" != "$(uname -m)" ] && ! emu=$(command -v "qemu-$mach-static"); then
		echo "no qemu-$mach-static to run the $mach binaries"
		echo "0 passed, 1 failed, 0 skipped"
		return 1
	fi
}
