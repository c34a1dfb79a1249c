/*
 * The floor: the least a static musl program can do for the same effect.
 * Built once with nothing but the exit, once with the mount (FLOOR_MOUNT)
 * and once with the link (FLOOR_LINK), each taking its path as its one
 * argument; a failure is reported as the programs report it, in one write.
 */
#include <errno.h>
#include <string.h>
#include <unistd.h>
#include <sys/mount.h>

#if defined(FLOOR_MOUNT) || defined(FLOOR_LINK)
static char *
put(char *p, char *e, const char *s)
{
	size_t n;

	n = strlen(s);
	if(n > (size_t)(e - p))
		n = (size_t)(e - p);
	memcpy(p, s, n);
	return p + n;
}

static int
fail(const char *prog, const char *op)
{
	char buf[256], *p, *e;
	const char *err;

	err = strerror(errno);
	p = buf;
	e = buf + sizeof buf;
	p = put(p, e, prog);
	p = put(p, e, ": ");
	p = put(p, e, op);
	p = put(p, e, ": ");
	p = put(p, e, err);
	p = put(p, e, "\n");
	write(2, buf, (size_t)(p - buf));
	return 1;
}
#endif

int
main(int argc, char *argv[])
{
	(void)argc;
#if defined(FLOOR_MOUNT)
	if(mount("proc", argv[1], "proc", 0, nullptr) < 0)
		return fail(argv[0], "mount");
#elif defined(FLOOR_LINK)
	if(symlink("/proc/self/fd", argv[1]) < 0)
		return fail(argv[0], "symlink");
#else
	(void)argv;
#endif
	return 0;
}
