/* the formatter's state, shared by the print routines */
struct Fmt
{
	char	*buf;	/* start of the buffer */
	char	*p;	/* next byte to fill */
	char	*end;	/* end of the buffer */
	int	fd;	/* where a full buffer goes */
	int	str;	/* into a string: a full buffer stops output */
	int	nout;	/* bytes written to fd so far */
	int	stop;	/* no more output */
};

void	fmtflush(Fmt *f);
void	dofmt(Fmt *f, const char *fmt, va_list arg);
