#include <libc.h>

/*
 * Strict UTF-8: over-long forms, surrogates and values past
 * Runemax are malformed.  A malformed sequence gives Runeerror
 * and consumes one byte, so decoding always moves on.  Bytes are
 * read only while they continue a sequence, so the terminating
 * null is never passed.
 */
int
chartorune(Rune *r, const char *s)
{
	const uchar *p;
	Rune c, min;
	int i, n;

	p = (const uchar*)s;
	c = p[0];
	if(c < Runeself){
		*r = c;
		return 1;
	}
	if(c < 0xC2)
		goto bad;
	if(c < 0xE0){
		n = 2;
		c &= 0x1F;
		min = 0x80;
	}else if(c < 0xF0){
		n = 3;
		c &= 0x0F;
		min = 0x800;
	}else if(c < 0xF5){
		n = 4;
		c &= 0x07;
		min = 0x10000;
	}else
		goto bad;
	for(i = 1; i < n; i++){
		if((p[i] & 0xC0) != 0x80)
			goto bad;
		c = c<<6 | (p[i] & 0x3F);
	}
	if(c < min || c > Runemax || (c >= 0xD800 && c <= 0xDFFF))
		goto bad;
	*r = c;
	return n;
bad:
	*r = Runeerror;
	return 1;
}

int
runetochar(char *s, const Rune *r)
{
	Rune c;

	c = *r;
	if(c > Runemax || (c >= 0xD800 && c <= 0xDFFF))
		c = Runeerror;
	if(c < 0x80){
		s[0] = (char)c;
		return 1;
	}
	if(c < 0x800){
		s[0] = (char)(0xC0 | c>>6);
		s[1] = (char)(0x80 | (c & 0x3F));
		return 2;
	}
	if(c < 0x10000){
		s[0] = (char)(0xE0 | c>>12);
		s[1] = (char)(0x80 | (c>>6 & 0x3F));
		s[2] = (char)(0x80 | (c & 0x3F));
		return 3;
	}
	s[0] = (char)(0xF0 | c>>18);
	s[1] = (char)(0x80 | (c>>12 & 0x3F));
	s[2] = (char)(0x80 | (c>>6 & 0x3F));
	s[3] = (char)(0x80 | (c & 0x3F));
	return 4;
}

/* whether n bytes hold as many as the first byte announces */
int
fullrune(const char *s, int n)
{
	uint c;

	if(n <= 0)
		return 0;
	c = (uchar)s[0];
	if(c < 0x80)
		return 1;
	if(c < 0xE0)
		return n >= 2;
	if(c < 0xF0)
		return n >= 3;
	return n >= 4;
}
