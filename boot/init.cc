/*
 * The first process of the boot test: on a kernel that has just come up
 * from an initramfs, brings up the name space with the real programs, in
 * the order a small system would, and checks every step.  Prints one
 * verdict line on the console, then powers the machine off.
 */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/wait.h>

enum { Procmagic = 0x9fa0 };	/* PROC_SUPER_MAGIC */

struct Out {
	int	status;		/* exit status, or 128+signal */
	char	err[512];
	long	nerr;
	long	nout;
};

static int npass, nfail;

static void
check(bool ok, const char *what)
{
	if(ok)
		npass++;
	else{
		nfail++;
		dprintf(1, "FAIL %s\n", what);
	}
}

/* reads fd to its end, keeping what fits in buf; the count is of every byte */
static long
slurp(int fd, char *buf, long len)
{
	long n, tot;
	char junk[64];

	tot = 0;
	for(;;){
		if(tot < len)
			n = read(fd, buf + tot, (size_t)(len - tot));
		else
			n = read(fd, junk, sizeof junk);
		if(n < 0 && errno == EINTR)
			continue;
		if(n <= 0)
			return tot;
		tot += n;
	}
}

/* runs argv[0] with descriptors 1 and 2 on pipes, to the end */
static void
run(const char *const argv[], Out *o)
{
	int out[2], err[2], st;
	pid_t pid;
	static char *const noenv[] = { nullptr };

	o->status = -1;
	o->nerr = o->nout = 0;
	if(pipe(out) < 0 || pipe(err) < 0 || (pid = fork()) < 0){
		dprintf(1, "init: cannot start %s: %s\n", argv[0], strerror(errno));
		return;
	}
	if(pid == 0){
		dup2(out[1], 1);
		dup2(err[1], 2);
		close(out[0]); close(out[1]);
		close(err[0]); close(err[1]);
		execve(argv[0], (char *const*)argv, noenv);
		dprintf(2, "exec %s: %s", argv[0], strerror(errno));
		_exit(127);
	}
	close(out[1]);
	close(err[1]);
	/* both programs write a line at most, far below a pipe's capacity */
	while(waitpid(pid, &st, 0) < 0)
		if(errno != EINTR){
			dprintf(1, "init: waitpid: %s\n", strerror(errno));
			return;
		}
	o->nout = slurp(out[0], nullptr, 0);
	o->nerr = slurp(err[0], o->err, sizeof o->err);
	close(out[0]);
	close(err[0]);
	o->status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

/* s, with what is not printable escaped, so that the line stays one line */
static void
show(const char *s, long n)
{
	for(long i = 0; i < n; i++){
		unsigned char c = (unsigned char)s[i];
		if(c == '\n')
			dprintf(1, "\\n");
		else if(c < ' ' || c >= 0x7f || c == '\\')
			dprintf(1, "\\x%02x", c);
		else
			dprintf(1, "%c", c);
	}
}

/* the program must end with status and write err on 2, every byte, and nothing on 1 */
static void
expect(const char *const argv[], int status, const char *err)
{
	Out o;
	long n;

	run(argv, &o);
	n = (long)strlen(err);
	if(o.status == status && o.nout == 0 && o.nerr == n && memcmp(o.err, err, (size_t)n) == 0){
		npass++;
		return;
	}
	nfail++;
	dprintf(1, "FAIL");
	for(int i = 0; argv[i] != nullptr; i++)
		dprintf(1, " %s", argv[i]);
	dprintf(1, ": status %d, want %d; %ld bytes on 1; stderr \"", o.status, status, o.nout);
	show(o.err, o.nerr < (long)sizeof o.err ? o.nerr : (long)sizeof o.err);
	dprintf(1, "\", want \"");
	show(err, n);
	dprintf(1, "\"\n");
}

static bool
isproc(const char *dir)
{
	struct statfs s;

	return statfs(dir, &s) == 0 && s.f_type == Procmagic && (s.f_flags & ST_RDONLY) == 0;
}

static bool
linksto(const char *path, const char *target)
{
	char buf[64];
	ssize_t n;

	n = readlink(path, buf, sizeof buf);
	return n == (ssize_t)strlen(target) && memcmp(buf, target, (size_t)n) == 0;
}

/* path is the very file open on fd */
static bool
isfd(const char *path, int fd)
{
	struct stat a, b;

	return stat(path, &a) == 0 && fstat(fd, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int
main(void)
{
	static const char *const fdlink[] = { "/bin/fdlink", nullptr };
	static const char *const pidmount[] = { "/bin/pidmount", nullptr };
	static const char *const pidmountmnt[] = { "/bin/pidmount", "-m", "/mnt", nullptr };
	static const char *const pidmountmissing[] = { "/bin/pidmount", "-m", "/missing", nullptr };
	struct statfs f;
	struct stat s, before, after;
	char path[32];
	int fd;

	check(statfs("/proc", &f) == 0 && f.f_type != Procmagic, "/proc is there, not yet a proc file system");

	expect(fdlink, 0, "");
	check(linksto("/fd", "/proc/self/fd"), "fdlink makes /fd a link to /proc/self/fd");
	check(stat("/fd", &s) < 0 && errno == ENOENT, "/fd does not resolve before proc is mounted");

	expect(pidmount, 0, "");
	check(isproc("/proc"), "pidmount mounts proc, read-write, on /proc");
	check(isfd("/fd/0", 0), "/fd/0 is the file on descriptor 0");
	fd = open("/init", O_RDONLY);
	snprintf(path, sizeof path, "/fd/%d", fd);
	check(fd > 2 && isfd(path, fd), "/fd/N follows a descriptor opened now");
	close(fd);

	expect(pidmountmnt, 0, "");
	check(isproc("/mnt"), "pidmount -m /mnt mounts a second proc there");

	lstat("/fd", &before);
	expect(fdlink, 1, "/bin/fdlink: symlink: File exists\n");
	check(lstat("/fd", &after) == 0 && after.st_ino == before.st_ino &&
		after.st_ctim.tv_nsec == before.st_ctim.tv_nsec && after.st_ctim.tv_sec == before.st_ctim.tv_sec &&
		linksto("/fd", "/proc/self/fd"), "a second fdlink leaves /fd as it was");

	expect(pidmountmissing, 1, "/bin/pidmount: mount: No such file or directory\n");

	dprintf(1, "kernfs-init: %d passed, %d failed\n", npass, nfail);
	reboot(RB_POWER_OFF);
	dprintf(1, "init: reboot: %s\n", strerror(errno));
	return 1;
}
