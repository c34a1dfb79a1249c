#include <libc.h>

void
sysfatal(const char *fmt, ...)
{
	char buf[256];
	va_list arg;

	va_start(arg, fmt);
	vsnprint(buf, sizeof buf, fmt, arg);
	va_end(arg);
	fprint(2, "%s: %s\n", argv0 != nil ? argv0 : "<prog>", buf);
	exits("fatal");
}
