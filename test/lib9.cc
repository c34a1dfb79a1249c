#include <errno.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <libc.h>
#include "unit.h"

static void
runes(void)
{
	static const struct {
		const char *name;
		const char *in;
		Rune r;
		int n;
	} t[] = {
		{"ascii", "m", 'm', 1},
		{"nul", "", 0, 1},
		{"two bytes", "\xC3\xA9", 0xE9, 2},
		{"lowest two", "\xC2\x80", 0x80, 2},
		{"three bytes", "\xE2\x82\xAC", 0x20AC, 3},
		{"highest bmp", "\xEF\xBF\xBF", 0xFFFF, 3},
		{"four bytes", "\xF0\x9F\x98\x80", 0x1F600, 4},
		{"highest rune", "\xF4\x8F\xBF\xBF", Runemax, 4},
		{"lone continuation", "\x80", Runeerror, 1},
		{"over-long m", "\xC1\xAD", Runeerror, 1},
		{"over-long nul", "\xC0\x80", Runeerror, 1},
		{"over-long three", "\xE0\x80\xAF", Runeerror, 1},
		{"over-long four", "\xF0\x8F\xBF\xBF", Runeerror, 1},
		{"surrogate", "\xED\xA0\x80", Runeerror, 1},
		{"past runemax", "\xF4\x90\x80\x80", Runeerror, 1},
		{"bad lead f5", "\xF5\x80\x80\x80", Runeerror, 1},
		{"bad lead ff", "\xFF", Runeerror, 1},
		{"truncated at nul", "\xE2\x82", Runeerror, 1},
		{"ascii breaks sequence", "\xF0\x9Fx", Runeerror, 1},
	};
	char b[UTFmax];
	Rune r;
	size_t i;
	int n;

	for(i = 0; i < nelem(t); i++){
		n = chartorune(&r, t[i].in);
		check(r == t[i].r && n == t[i].n, "chartorune", t[i].name);
		if(t[i].r != Runeerror && t[i].r != 0){
			n = runetochar(b, &r);
			check(n == t[i].n && memcmp(b, t[i].in, (size_t)n) == 0, "runetochar", t[i].name);
		}
	}

	static const struct {
		const char *in;
		int n;
		int full;
	} f[] = {
		{"a", 1, 1},
		{"\xC3", 1, 0},
		{"\xC3\xA9", 2, 1},
		{"\x80", 1, 0},
		{"\x80" "a", 2, 1},
		{"\xE2\x82", 2, 0},
		{"\xE2\x82\xAC", 3, 1},
		{"\xF0\x9F\x98", 3, 0},
		{"\xFF" "ab", 3, 0},
		{"\xFF" "abc", 4, 1},
		{"", 0, 0},
	};
	for(i = 0; i < nelem(f); i++)
		check(fullrune(f[i].in, f[i].n) == f[i].full, "fullrune", f[i].in);
}

static void
strings(void)
{
	static const struct {
		const char *name;
		const char *in;
		const char *out;
	} t[] = {
		{"plain", "./pidmount", "./pidmount"},
		{"valid utf-8", "h\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "h\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
		{"incomplete tail dropped", "./x\xFF", "./x"},
		{"bad byte with room", "\xFF" "abc", "\xEF\xBF\xBD" "abc"},
		{"bad lead, short tail", "ab\xFF" "cd", "ab"},
		{"cut two-byte tail", "x\xC3", "x"},
		{"cut three-byte tail", "x\xE2\x82", "x"},
		{"continuation then ascii", "x\x80" "a", "x\xEF\xBF\xBD" "a"},
		{"over-long m", "-\xC1\xAD" "ab", "-\xEF\xBF\xBD\xEF\xBF\xBD" "ab"},
		{"surrogate", "\xED\xA0\x80" "x", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "x"},
		{"newline and escape", "a\nb\x1B[0m", "a\nb\x1B[0m"},
		{"empty", "", ""},
	};
	char buf[512];
	size_t i;
	int n;

	for(i = 0; i < nelem(t); i++){
		n = snprint(buf, sizeof buf, "%s", t[i].in);
		check((size_t)n == strlen(t[i].out) && strcmp(buf, t[i].out) == 0, "%s", t[i].name);
		if(strcmp(buf, t[i].out) != 0){
			show("want", t[i].out, strlen(t[i].out));
			show("got ", buf, strlen(buf));
		}
	}

	snprint(buf, sizeof buf, "[%s]", (char*)nil);
	check(strcmp(buf, "[<nil>]") == 0, "%s", "null string");
	snprint(buf, sizeof buf, "100%% %d %");
	check(strcmp(buf, "100% %d %") == 0, "format", "%% and unknown verbs");
	/* the format's own bytes are copied, not decoded */
	snprint(buf, sizeof buf, "a\xFF\xC3%s\xE2\x82", "b");
	check(strcmp(buf, "a\xFF\xC3" "b\xE2\x82") == 0, "format", "malformed bytes in the format");

	static const struct {
		int err;
		const char *out;
	} r[] = {
		{EPERM, "mount: Operation not permitted"},
		{ENOENT, "mount: No such file or directory"},
		{EEXIST, "mount: File exists"},
	};
	for(i = 0; i < nelem(r); i++){
		errno = r[i].err;
		snprint(buf, sizeof buf, "mount: %r");
		check(strcmp(buf, r[i].out) == 0, "%r", r[i].out);
	}

	/* the buffer holds len-1 bytes and never a piece of a sequence */
	char big[400];
	memset(big, 'a', sizeof big - 1);
	big[sizeof big - 1] = '\0';
	n = snprint(buf, 256, "%s", big);
	check(n == 255 && strlen(buf) == 255, "snprint", "cut at 255");
	memcpy(big + 254, "\xE2\x82\xAC", 3);
	n = snprint(buf, 256, "%s", big);
	check(n == 254 && strlen(buf) == 254, "snprint", "sequence at the edge left out");
	memset(big, 'a', 254);
	memcpy(big + 254, "\xE2\x82\xAC", 4);
	n = snprint(buf, 256, big);
	check(n == 254 && strlen(buf) == 254, "snprint", "sequence of the format at the edge left out");
	n = snprint(buf, 1, "%s", "abc");
	check(n == 0 && buf[0] == '\0', "snprint", "room for the nul only");
}

/*
 * each write on a datagram socket arrives as one message, so its size shows;
 * msg goes through %s, or is itself the format when literal is set
 */
static int
writes(const char *name, const char *msg, const int *want, int nwant, int literal = 0)
{
	char got[2048], *p;
	int sv[2], n, i, ok;
	ssize_t m;

	if(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, sv) < 0){
		check(0, "socketpair", name);
		return -1;
	}
	n = literal ? fprint(sv[0], msg) : fprint(sv[0], "%s", msg);
	close(sv[0]);
	ok = n == (int)strlen(msg);
	p = got;
	for(i = 0; (m = read(sv[1], p, got + sizeof got - p)) > 0; i++){
		if(i >= nwant || m != want[i])
			ok = 0;
		p += m;
	}
	close(sv[1]);
	ok = ok && i == nwant && p - got == (long)strlen(msg) && memcmp(got, msg, strlen(msg)) == 0;
	check(ok, "fprint writes", name);
	return n;
}

static void
chunks(void)
{
	static char s[1200];
	static const int one[] = {256};
	static const int two[] = {256, 1};
	static const int three[] = {256, 256, 88};
	static const int edge[] = {255, 3};
	static const int short1[] = {12};

	writes("short", "usage: x y z", short1, 1);
	memset(s, 'a', 256);
	writes("exactly 256", s, one, 1);
	memset(s, 'a', 257);
	writes("257", s, two, 2);
	memset(s, 'a', 600);
	s[600] = '\0';
	writes("600", s, three, 3);
	memset(s, 'a', 255);
	memcpy(s + 255, "\xE2\x82\xAC", 4);
	writes("sequence across the edge", s, edge, 2);
	writes("sequence across the edge, in the format", s, edge, 2, 1);
	memset(s, 'a', 600);
	s[600] = '\0';
	writes("600, in the format", s, three, 3, 1);

	/* a failed write ends the message */
	int fd = open("/dev/null", O_RDONLY);
	check(fprint(fd, "%s", "x") == -1, "fprint", "write to a read-only descriptor fails");
	close(fd);
	check(fprint(-1, "x") == -1, "fprint", "closed descriptor");
}

static void
codes(void)
{
	static const struct {
		const char *s;
		int code;
	} t[] = {
		{nil, 0},
		{"", 0},
		{"usage", 1},
		{"fatal", 1},
		{"main", 1},
		{"0", 1},
	};
	size_t i;

	for(i = 0; i < nelem(t); i++)
		check(exitcode(t[i].s) == t[i].code, "exitcode", t[i].s != nil ? t[i].s : "nil");
}

int
main(void)
{
	runes();
	strings();
	chunks();
	codes();
	return report();
}
