#include <unistd.h>
#include <libc.h>
#include "frame.h"

void
p9main(int argc, char *argv[])
{
	const char *mntpoint;

	mntpoint = mntarg(argc, argv, "/fd");
	if(symlink("/proc/self/fd", mntpoint) < 0)
		sysfatal("symlink: %r");
	exits(nil);
}
