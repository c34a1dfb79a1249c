/*
 * probe path: exit status 0 if path is the file open on descriptor 0,
 * 1 if it is another file, 2 if it does not resolve.  Static, so a
 * chroot needs nothing else.
 */
#include <sys/stat.h>

int
main(int argc, char *argv[])
{
	struct stat a, b;

	if(argc < 2 || fstat(0, &b) < 0)
		return 3;
	if(stat(argv[1], &a) < 0)
		return 2;
	return a.st_dev == b.st_dev && a.st_ino == b.st_ino ? 0 : 1;
}
