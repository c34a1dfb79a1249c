#include <libc.h>
#include "fmtdef.h"

/*
 * No stream buffering: the text leaves in writes of at most
 * sizeof buf bytes, and a failed or short write ends it.
 */
int
vfprint(int fd, const char *fmt, va_list arg)
{
	char buf[256];
	Fmt f;

	f.buf = f.p = buf;
	f.end = buf + sizeof buf;
	f.fd = fd;
	f.str = 0;
	f.nout = 0;
	f.stop = 0;
	dofmt(&f, fmt, arg);
	if(!f.stop)
		fmtflush(&f);
	if(f.stop)
		return -1;
	return f.nout;
}

int
fprint(int fd, const char *fmt, ...)
{
	va_list arg;
	int n;

	va_start(arg, fmt);
	n = vfprint(fd, fmt, arg);
	va_end(arg);
	return n;
}
