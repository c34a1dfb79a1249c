/*
 * runner time ROUNDS SEED CASES	median time per run and median per-round ratio to the floor
 * runner rss N PROCDIR CASES		peak resident set of each case in KiB, median and
 *					maximum of N runs: where the stack falls in its page
 *					differs from run to run
 *
 * CASES has one case a line, fields separated by tabs:
 *	name floor undo status path argv0 args...
 * floor names the case this one is compared with; undo is umount:PATH,
 * unlink:PATH or -, done after every successful run so that the next run
 * starts from the same state; status is 0 or !0.  Every run's status is
 * checked: a case that does not do what it should stops the benchmark.
 *
 * Each round runs every case once, in a new random order, so that drift
 * in the machine's load falls on all cases alike.  The children get the
 * same small environment, and no descriptor but 0, 1 and 2.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <sys/mount.h>
#include <sys/ptrace.h>
#include <sys/wait.h>

enum { Maxcase = 64, Maxarg = 16, Maxrss = 101 };

typedef struct Case Case;
struct Case {
	char	*name;
	int	floor;
	char	*undo;
	int	fails;		/* the run must end with a status other than 0 */
	char	*path;
	char	*argv[Maxarg + 1];
	double	*t;		/* seconds, one a round */
};

static Case cases[Maxcase];
static int ncase;
static char *env[] = { "PATH=/usr/sbin:/usr/bin:/sbin:/bin", NULL };

/* the runner's own output; the children write to /dev/null */
static int outfd = 1, errfd = 2;

static void
die(const char *fmt, const char *s)
{
	dprintf(errfd, "runner: ");
	dprintf(errfd, fmt, s);
	dprintf(errfd, "\n");
	exit(1);
}

static void
quiet(void)
{
	int fd;

	if((outfd = fcntl(1, F_DUPFD_CLOEXEC, 3)) < 0 || (errfd = fcntl(2, F_DUPFD_CLOEXEC, 3)) < 0)
		die("%s", "cannot keep the output");
	if((fd = open("/dev/null", O_WRONLY)) < 0 || dup2(fd, 1) < 0 || dup2(fd, 2) < 0)
		die("%s", "cannot open /dev/null");
	close(fd);
}

static void
readcases(const char *file)
{
	static char line[4096];
	char *f[Maxarg + 6], *p;
	FILE *fp;
	int i, j, n;

	if((fp = fopen(file, "r")) == NULL)
		die("cannot open %s", file);
	while(fgets(line, sizeof line, fp) != NULL){
		line[strcspn(line, "\n")] = '\0';
		if(line[0] == '\0' || line[0] == '#')
			continue;
		if(ncase == Maxcase)
			die("too many cases in %s", file);
		n = 0;
		for(p = strdup(line); p != NULL && n < (int)(sizeof f / sizeof f[0]); )
			f[n++] = strsep(&p, "\t");
		if(n < 6)
			die("short case: %s", line);
		Case *c = &cases[ncase++];
		c->name = f[0];
		c->floor = -1;
		for(j = 0; j < ncase; j++)
			if(strcmp(cases[j].name, f[1]) == 0)
				c->floor = j;
		if(c->floor < 0)
			die("floor %s not defined before it is used", f[1]);
		c->undo = f[2];
		c->fails = strcmp(f[3], "0") != 0;
		c->path = f[4];
		for(i = 5; i < n; i++)
			c->argv[i - 5] = f[i];
		c->argv[n - 5] = NULL;
	}
	fclose(fp);
}

static void
undo(Case *c)
{
	const char *a = c->undo;

	if(strncmp(a, "umount:", 7) == 0){
		if(umount2(a + 7, 0) < 0)
			die("cannot unmount %s", a + 7);
	}else if(strncmp(a, "unlink:", 7) == 0){
		if(unlink(a + 7) < 0)
			die("cannot remove %s", a + 7);
	}
}

static void
check(Case *c, int st)
{
	if(!WIFEXITED(st))
		die("%s: killed by a signal", c->name);
	if(c->fails != (WEXITSTATUS(st) != 0))
		die(c->fails ? "%s: succeeded, should fail" : "%s: failed, should succeed", c->name);
	if(!c->fails)
		undo(c);
}

static double
now(void)
{
	struct timespec ts;

	clock_gettime(CLOCK_MONOTONIC, &ts);
	return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

static double
run(Case *c)
{
	double t0, t1;
	pid_t pid;
	int st;

	t0 = now();
	if((errno = posix_spawn(&pid, c->path, NULL, NULL, c->argv, env)) != 0)
		die("cannot run %s", c->path);
	if(waitpid(pid, &st, 0) != pid)
		die("lost %s", c->name);
	t1 = now();
	check(c, st);
	return t1 - t0;
}

static int
cmp(const void *a, const void *b)
{
	double x = *(const double*)a, y = *(const double*)b;

	return (x > y) - (x < y);
}

static double
median(double *v, int n)
{
	qsort(v, (size_t)n, sizeof v[0], cmp);
	return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

static void
timeall(int rounds, unsigned seed)
{
	int order[Maxcase], i, j, k, r;
	double *ratio, rmed[Maxcase];

	for(i = 0; i < ncase; i++)
		if((cases[i].t = calloc((size_t)rounds, sizeof(double))) == NULL)
			die("%s", "out of memory");
	ratio = calloc((size_t)rounds, sizeof(double));
	srandom(seed);
	for(i = 0; i < ncase; i++)
		order[i] = i;
	/* one round unmeasured: the page cache and the caches settle */
	for(i = 0; i < ncase; i++)
		run(&cases[i]);
	for(r = 0; r < rounds; r++){
		for(i = ncase - 1; i > 0; i--){
			j = (int)(random() % (i + 1));
			k = order[i], order[i] = order[j], order[j] = k;
		}
		for(i = 0; i < ncase; i++)
			cases[order[i]].t[r] = run(&cases[order[i]]);
	}
	for(i = 0; i < ncase; i++){
		Case *c = &cases[i];
		for(r = 0; r < rounds; r++)
			ratio[r] = c->t[r] / cases[c->floor].t[r];
		rmed[i] = median(ratio, rounds);
	}
	/* microseconds per run, then the ratio */
	for(i = 0; i < ncase; i++)
		dprintf(outfd, "%s\t%.1f\t%.4f\n", cases[i].name, median(cases[i].t, rounds) * 1e6, rmed[i]);
}

/*
 * The kernel's maximum resident set of a child counts the memory of the
 * process that forked it, up to its exec; a traced child stopped on its
 * way out still has its own address space, whose high-water mark is the
 * program's alone.
 */
static long
peak(Case *c, const char *proc)
{
	char file[64], line[256];
	long kb;
	pid_t pid;
	FILE *fp;
	int st;

	pid = fork();
	if(pid < 0)
		die("%s", "cannot fork");
	if(pid == 0){
		ptrace(PTRACE_TRACEME, 0, NULL, NULL);
		raise(SIGSTOP);
		execve(c->path, c->argv, env);
		_exit(127);
	}
	if(waitpid(pid, &st, 0) != pid || !WIFSTOPPED(st))
		die("%s: did not stop", c->name);
	ptrace(PTRACE_SETOPTIONS, pid, NULL, (void*)(PTRACE_O_TRACEEXIT | PTRACE_O_TRACEEXEC | PTRACE_O_EXITKILL));
	ptrace(PTRACE_CONT, pid, NULL, NULL);
	kb = -1;
	for(;;){
		if(waitpid(pid, &st, 0) != pid)
			die("lost %s", c->name);
		if(!WIFSTOPPED(st))
			break;
		if(st >> 8 == (SIGTRAP | PTRACE_EVENT_EXIT << 8)){
			snprintf(file, sizeof file, "%s/%d/status", proc, (int)pid);
			if((fp = fopen(file, "r")) == NULL)
				die("cannot open %s", file);
			while(fgets(line, sizeof line, fp) != NULL)
				if(strncmp(line, "VmHWM:", 6) == 0)
					kb = strtol(line + 6, NULL, 10);
			fclose(fp);
		}
		/* pass on real signals, not the stops of the tracing itself */
		int sig = WSTOPSIG(st);
		if(sig == SIGTRAP || (st >> 16) != 0)
			sig = 0;
		ptrace(PTRACE_CONT, pid, NULL, (void*)(long)sig);
	}
	check(c, st);
	if(kb < 0)
		die("%s: no high-water mark", c->name);
	return kb;
}

int
main(int argc, char *argv[])
{
	static double kb[Maxcase][Maxrss];
	double m;
	int i, n, r;

	quiet();
	if(argc == 5 && strcmp(argv[1], "time") == 0){
		readcases(argv[4]);
		timeall(atoi(argv[2]), (unsigned)strtoul(argv[3], NULL, 10));
	}else if(argc == 5 && strcmp(argv[1], "rss") == 0){
		readcases(argv[4]);
		n = atoi(argv[2]);
		if(n < 1 || n > Maxrss)
			die("%s: not a number of runs", argv[2]);
		for(r = 0; r < n; r++)
			for(i = 0; i < ncase; i++)
				kb[i][r] = (double)peak(&cases[i], argv[3]);
		for(i = 0; i < ncase; i++){
			m = median(kb[i], n);
			dprintf(outfd, "%s\t%.0f\t%.0f\n", cases[i].name, m, kb[i][n - 1]);
		}
	}else{
		dprintf(errfd, "usage: runner time ROUNDS SEED CASES | runner rss N PROCDIR CASES\n");
		return 1;
	}
	return 0;
}
