/*
 * %s over any bytes: the text is the model's (valid UTF-8, whole
 * sequences, U+FFFD for a bad byte, the tail rule); on a descriptor
 * it leaves in writes of at most 256 bytes, each of whole sequences
 * and each as full as the next sequence allows, that together are
 * the text; snprint keeps the longest whole-sequence prefix that fits.
 */
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>
#include <libc.h>
#include "model.h"

enum { Maxin = 4096, Wsize = 256 };

static int sv[2] = {-1, -1};

/* each write on a datagram socket arrives as one message, so its size shows */
static void
setup(void)
{
	int sz;

	if(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, sv) < 0)
		abort();
	sz = 1<<20;
	setsockopt(sv[0], SOL_SOCKET, SO_SNDBUF, &sz, sizeof sz);
	setsockopt(sv[1], SOL_SOCKET, SO_RCVBUF, &sz, sizeof sz);
	fcntl(sv[1], F_SETFL, O_NONBLOCK);
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	static unsigned char want[3*Maxin], got[3*Maxin + Wsize], buf[Wsize];
	char *s;
	size_t n, nwant, ngot, k;
	ssize_t m, prev;
	int r;

	if(sv[0] < 0)
		setup();
	if(size > Maxin)
		size = Maxin;
	/* the string ends at its first null, and nothing past that may be read */
	n = strnlen((const char*)data, size);
	s = (char*)malloc(n + 1);
	memcpy(s, data, n);
	s[n] = '\0';
	nwant = modelstr((const unsigned char*)s, n, want);
	if(!validutf8(want, nwant))
		abort();

	r = fprint(sv[0], "%s", s);
	if(r < 0 || (size_t)r != nwant)
		abort();
	ngot = 0;
	prev = -1;
	while((m = read(sv[1], got + ngot, sizeof got - ngot)) > 0){
		if(m > Wsize || !validutf8(got + ngot, (size_t)m))
			abort();
		/* the one before had no room for this one's first sequence */
		if(prev >= 0 && prev + wellformed(got + ngot, (size_t)m) <= Wsize)
			abort();
		prev = m;
		ngot += (size_t)m;
	}
	if(ngot != nwant || memcmp(got, want, nwant) != 0)
		abort();

	r = snprint((char*)buf, sizeof buf, "%s", s);
	for(k = 0; k < nwant; k += (size_t)wellformed(want + k, nwant - k))
		if(k + (size_t)wellformed(want + k, nwant - k) > sizeof buf - 1)
			break;
	if(r < 0 || (size_t)r != k || memcmp(buf, want, k) != 0 || buf[k] != '\0')
		abort();
	free(s);
	return 0;
}
