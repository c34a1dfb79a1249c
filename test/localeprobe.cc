/*
 * localeprobe: what a musl program that does take its locale from the
 * environment prints for ENOENT, to show that a catalog would be used.
 */
#include <errno.h>
#include <locale.h>
#include <stdio.h>
#include <string.h>

int
main(void)
{
	setlocale(LC_ALL, "");
	puts(strerror(ENOENT));
	return 0;
}
