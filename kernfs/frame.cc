#include <libc.h>
#include "frame.h"

void
usage(void)
{
	fprint(2, "usage: %s [-m mountpoint]\n", argv0);
	exits("usage");
}

/* mntpoint, the default, is replaced by each -m in turn; operands are ignored */
const char*
mntarg(int argc, char *argv[], const char *mntpoint)
{
	ARGBEGIN{
	case 'm':
		mntpoint = EARGF(usage());
		break;
	default:
		usage();
	}ARGEND
	return mntpoint;
}
