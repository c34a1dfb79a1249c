#ifndef FMT_H
#define FMT_H

#include <stdarg.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Verbs: %s (a UTF-8 string, "<nil>" for a null pointer),
 * %r (strerror of errno as it was on entry), %%.
 */
int	fprint(int fd, const char *fmt, ...);
int	vfprint(int fd, const char *fmt, va_list arg);
int	snprint(char *buf, int len, const char *fmt, ...);
int	vsnprint(char *buf, int len, const char *fmt, va_list arg);

#ifdef __cplusplus
}
#endif

#endif
