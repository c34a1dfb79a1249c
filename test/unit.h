/* a table runner's bookkeeping: each check counts once; main ends with report() */
#include <stdio.h>
#include <string.h>

static int npass, nfail;

static void
check(int ok, const char *what, const char *name)
{
	if(ok){
		npass++;
		return;
	}
	nfail++;
	printf("FAIL %s: %s\n", what, name);
}

/* bytes as C escapes, to show what differed */
[[maybe_unused]] static void
show(const char *tag, const char *s, size_t n)
{
	size_t i;

	printf("\t%s \"", tag);
	for(i = 0; i < n; i++){
		unsigned char c = (unsigned char)s[i];
		if(c >= ' ' && c < 0x7F && c != '"' && c != '\\')
			putchar(c);
		else
			printf("\\x%02X", c);
	}
	printf("\" (%zu)\n", n);
}

static int
report(void)
{
	printf("%d passed, %d failed\n", npass, nfail);
	return nfail != 0;
}
