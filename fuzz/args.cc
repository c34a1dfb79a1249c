/*
 * The option scan over any argument vector: the input, split at its
 * null bytes, is the vector (no input at all is an empty one, without
 * even a name).  Each string and the vector itself are allocated to
 * the byte, so a read outside them is caught.  The scan must end
 * with the value an independent reading of the grammar gives, the
 * same pointer, or take the usage path with the usage line.
 *
 * usage ends through exits and writes through fprint; here they are
 * replaced, which lib9's one family per file allows: exits jumps
 * back, fprint keeps the text.
 */
#include <setjmp.h>
#include <stdint.h>
#include <stdlib.h>
#include <libc.h>
#include <frame.h>
#include "model.h"

static jmp_buf back;
static const char *status;
static char msg[32768];
static int nmsg;

void
exits(const char *s)
{
	status = s;
	longjmp(back, 1);
}

int
fprint(int fd, const char *fmt, ...)
{
	va_list arg;

	if(fd != 2)
		abort();
	va_start(arg, fmt);
	nmsg = vsnprint(msg, sizeof msg, fmt, arg);
	va_end(arg);
	return nmsg;
}

/* the grammar, read straight from its rules; nil for a usage error */
static const char*
model(int argc, char **argv, const char *def)
{
	const char *v, *a;
	int i;

	v = def;
	for(i = 1; i < argc; i++){
		a = argv[i];
		if(a[0] != '-' || a[1] == '\0')
			break;
		if(strcmp(a, "--") == 0)
			break;
		if(a[1] != 'm')
			return nil;
		if(a[2] != '\0')
			v = a + 2;
		else if(i + 1 < argc)
			v = argv[++i];
		else
			return nil;
	}
	return v;
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	static const char def[] = "/default";
	static unsigned char name[3*sizeof msg];
	char **argv;
	const char *want;
	const char *volatile got;
	size_t i, j, n;
	int argc, k;

	argc = 0;
	if(size > 0)
		for(argc = 1, i = 0; i < size; i++)
			argc += data[i] == '\0';
	argv = (char**)malloc(((size_t)argc + 1) * sizeof argv[0]);
	for(i = 0, k = 0; k < argc; k++){
		n = strnlen((const char*)data + i, size - i);
		argv[k] = (char*)malloc(n + 1);
		memcpy(argv[k], data + i, n);
		argv[k][n] = '\0';
		i += n + 1;
	}
	argv[argc] = nil;

	want = model(argc, argv, def);
	argv0 = nil;
	status = nil;
	nmsg = -1;
	got = nil;
	if(setjmp(back) == 0)
		got = mntarg(argc, argv, def);
	if(argv0 != argv[0])
		abort();
	if(want != nil){
		if(got != want || status != nil || nmsg != -1)
			abort();
	}else{
		if(got != nil || status == nil || strcmp(status, "usage") != 0)
			abort();
		/* "usage: %s [-m mountpoint]\n" with the name by the string rules, <nil> for none */
		const char *a0 = argc > 0 ? argv[0] : "<nil>";
		if(strlen(a0) < sizeof msg / 2){
			memcpy(name, "usage: ", 7);
			j = 7 + modelstr((const unsigned char*)a0, strlen(a0), name + 7);
			memcpy(name + j, " [-m mountpoint]\n", 17);
			j += 17;
			if((size_t)nmsg != j || memcmp(msg, name, j) != 0)
				abort();
		}
	}

	/* the vector is read, never written */
	for(i = 0, k = 0; k < argc; k++){
		n = strlen(argv[k]);
		if(memcmp(argv[k], data + i, n) != 0 || (i + n < size && data[i + n] != '\0'))
			abort();
		i += n + 1;
		free(argv[k]);
	}
	free(argv);
	return 0;
}
