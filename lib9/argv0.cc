#include <libc.h>

char *argv0;
