#include <libc.h>
#include "fmtdef.h"

/* cuts the text at len-1 bytes, on a sequence boundary, and always terminates it */
int
vsnprint(char *buf, int len, const char *fmt, va_list arg)
{
	Fmt f;

	if(len <= 0)
		return 0;
	f.buf = f.p = buf;
	f.end = buf + len - 1;
	f.fd = -1;
	f.str = 1;
	f.nout = 0;
	f.stop = 0;
	dofmt(&f, fmt, arg);
	*f.p = '\0';
	return (int)(f.p - buf);
}

int
snprint(char *buf, int len, const char *fmt, ...)
{
	va_list arg;
	int n;

	va_start(arg, fmt);
	n = vsnprint(buf, len, fmt, arg);
	va_end(arg);
	return n;
}
