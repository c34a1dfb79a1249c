#include <errno.h>
#include <string.h>
#include <unistd.h>
#include <libc.h>
#include "fmtdef.h"

void
fmtflush(Fmt *f)
{
	ssize_t n, w;

	n = f->p - f->buf;
	if(f->str || n == 0)
		return;
	w = write(f->fd, f->buf, (size_t)n);
	if(w != n)
		f->stop = 1;
	else
		f->nout += (int)n;
	f->p = f->buf;
}

/* n bytes of one whole sequence: a sequence never straddles two writes */
static void
fmtput(Fmt *f, const char *s, int n)
{
	if(f->stop)
		return;
	if(f->end - f->p < n){
		if(f->str){
			f->stop = 1;
			return;
		}
		fmtflush(f);
		if(f->stop)
			return;
	}
	memcpy(f->p, s, (size_t)n);
	f->p += n;
}

/*
 * The whole sequences from s to e, copied as they stand: in one piece
 * when they fit, else sequence by sequence, as if each were put alone.
 */
static void
fmtrun(Fmt *f, const char *s, const char *e)
{
	Rune r;
	int k;

	if(f->stop)
		return;
	if(f->end - f->p >= e - s){
		memcpy(f->p, s, (size_t)(e - s));
		f->p += e - s;
		return;
	}
	for(; s < e && !f->stop; s += k){
		k = chartorune(&r, s);
		fmtput(f, s, k);
	}
}

/*
 * A string is read as UTF-8 and written out again: a malformed
 * byte becomes Runeerror, and a tail shorter than its first byte
 * announces ends the string unwritten.
 */
static void
fmtstr(Fmt *f, const char *s)
{
	const char *e, *t;
	char b[UTFmax];
	Rune r;

	if(s == nil)
		s = "<nil>";
	e = s + strlen(s);
	while(s < e && !f->stop){
		if((uchar)*s < Runeself){
			for(t = s; t < e && (uchar)*t < Runeself; t++)
				;
			fmtrun(f, s, t);
			s = t;
			continue;
		}
		if(e - s < UTFmax && !fullrune(s, (int)(e - s)))
			break;
		s += chartorune(&r, s);
		fmtput(f, b, runetochar(b, &r));
	}
}

void
dofmt(Fmt *f, const char *fmt, va_list arg)
{
	const char *s;
	int err;

	err = errno;
	while(*fmt != '\0' && !f->stop){
		if(*fmt != '%'){
			/* a sequence never holds a '%' or a null, so the run ends on a boundary */
			for(s = fmt; *fmt != '\0' && *fmt != '%'; fmt++)
				;
			fmtrun(f, s, fmt);
			continue;
		}
		fmt++;
		switch(*fmt){
		case 's':
			fmtstr(f, va_arg(arg, const char*));
			break;
		case 'r':
			fmtstr(f, strerror(err));
			break;
		case '%':
			fmtput(f, "%", 1);
			break;
		default:
			/* an unknown verb stands as it was written */
			fmtput(f, "%", 1);
			continue;
		}
		fmt++;
	}
}
