#include <stdlib.h>
#include <libc.h>

int
exitcode(const char *s)
{
	return s != nil && *s != '\0';
}

void
exits(const char *s)
{
	exit(exitcode(s));
}
