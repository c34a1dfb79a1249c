#ifndef UTF_H
#define UTF_H

typedef unsigned int Rune;

enum
{
	UTFmax		= 4,		/* bytes in the longest sequence */
	Runeself	= 0x80,		/* below this a byte is its own rune */
	Runeerror	= 0xFFFD,	/* what a malformed sequence decodes as */
	Runemax		= 0x10FFFF,
};

#ifdef __cplusplus
extern "C" {
#endif

int	chartorune(Rune *r, const char *s);
int	runetochar(char *s, const Rune *r);
int	fullrune(const char *s, int n);

#ifdef __cplusplus
}
#endif

#endif
