/*
 * The frame in process, where the vector is whatever the caller
 * made it: the kernel never hands over an empty one.
 */
#include <errno.h>
#include <sys/wait.h>
#include <unistd.h>
#include <libc.h>
#include <frame.h>
#include "unit.h"

/* runs fn in a child with descriptor 2 on a pipe; gives its stderr and exit status */
static int
child(void (*fn)(void), char *err, size_t nerr)
{
	int p[2], status;
	ssize_t n, m;
	pid_t pid;

	if(pipe(p) < 0)
		return -1;
	pid = fork();
	if(pid == 0){
		dup2(p[1], 2);
		close(p[0]);
		fn();
		_exit(99);
	}
	close(p[1]);
	for(n = 0; n < (ssize_t)nerr - 1 && (m = read(p[0], err + n, nerr - 1 - (size_t)n)) > 0; n += m)
		;
	err[n] = '\0';
	close(p[0]);
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

static void
nameless(void)
{
	char *argv[] = {nil};

	argv0 = nil;
	check(strcmp(mntarg(0, argv, "/proc"), "/proc") == 0, "empty vector", "default taken");
	check(argv0 == nil, "empty vector", "argv0 stays null");
}

static void
namelessfatal(void)
{
	char *argv[] = {nil};

	argv0 = nil;
	mntarg(0, argv, "/proc");
	errno = ENOENT;
	sysfatal("mount: %r");
}

static void
namelessusage(void)
{
	argv0 = nil;
	usage();
}

static void
named(void)
{
	char a0[] = "./pidmount", a1[] = "-m", a2[] = "/x";
	char *argv[] = {a0, a1, a2, nil};
	char keep[] = "kept";

	argv0 = keep;
	check(strcmp(mntarg(3, argv, "/proc"), "/x") == 0, "preset argv0", "scan goes on");
	check(argv0 == keep, "preset argv0", "not replaced");
}

int
main(void)
{
	char err[512];
	int st;

	nameless();
	named();

	st = child(namelessfatal, err, sizeof err);
	check(st == 1 && strcmp(err, "<prog>: mount: No such file or directory\n") == 0,
		"empty vector", "fatal report names <prog>");
	st = child(namelessusage, err, sizeof err);
	check(st == 1 && strcmp(err, "usage: <nil> [-m mountpoint]\n") == 0,
		"empty vector", "usage line shows <nil>");
	return report();
}
