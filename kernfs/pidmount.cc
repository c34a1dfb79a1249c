#include <sys/mount.h>
#include <libc.h>
#include "frame.h"

void
p9main(int argc, char *argv[])
{
	const char *mntpoint;

	mntpoint = mntarg(argc, argv, "/proc");
	if(mount("proc", mntpoint, "proc", 0, nil) < 0)
		sysfatal("mount: %r");
	exits(nil);
}
