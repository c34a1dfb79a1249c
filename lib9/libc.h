#ifndef LIBC_H
#define LIBC_H

#include "utf.h"
#include "fmt.h"

#define	nil		nullptr
#define	USED(x)		((void)(x))
#define	nelem(x)	(sizeof(x)/sizeof((x)[0]))

typedef unsigned char	uchar;
typedef unsigned int	uint;

#ifdef __cplusplus
extern "C" {
#endif

extern char *argv0;

[[noreturn]] void	exits(const char *status);
int			exitcode(const char *status);
[[noreturn]] void	sysfatal(const char *fmt, ...);

/* the program's entry, called by the library's main */
void	p9main(int argc, char *argv[]);

#ifdef __cplusplus
}
#endif

/*
 * Option scan over argc and argv: records argv0, then takes
 * option clusters until an operand, "-" or "--" (consumed).
 * An argument vector without even a name is taken as empty:
 * nothing past its terminating null is read.
 */
#define	ARGBEGIN \
	for((void)(argv0 != nil || (argv0 = argv[0]) != nil), \
	    (void)(argv[0] != nil && (argc--, argv++) != nil); \
	    argv[0] != nil && argv[0][0] == '-' && argv[0][1] != '\0'; \
	    argc--, argv++){ \
		const char *_args, *_argt; \
		Rune _argc; \
		_args = &argv[0][1]; \
		if(_args[0] == '-' && _args[1] == '\0'){ \
			argc--, argv++; \
			break; \
		} \
		_argt = nil; \
		_argc = 0; \
		while(*_args != '\0'){ \
			_args += chartorune(&_argc, _args); \
			switch(_argc)

#define	ARGEND \
		} \
		USED(_argt); \
		USED(_argc); \
	} \
	USED(argc); \
	USED(argv);

#define	ARGC()	_argc

/* the rest of the cluster, else the whole next argument, else x, which must not return */
#define	EARGF(x) \
	(_argt = _args, _args = "", \
	 *_argt != '\0' ? _argt : \
	 argv[1] != nil ? (argc--, *++argv) : \
	 ((x), __builtin_trap(), (const char*)nil))

#endif
