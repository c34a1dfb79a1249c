/*
 * What the fuzz targets hold the library to, written apart from it:
 * the well-formed byte sequences of UTF-8 as the Unicode standard
 * tabulates them, and the formatter's rules for %s built on that.
 */
#include <string.h>

/* the length of the well-formed sequence at s, of at most n bytes; 0 if there is none */
static int
wellformed(const unsigned char *s, size_t n)
{
	static const struct {
		unsigned char lo, hi;	/* lead bytes */
		int len;
		unsigned char lo2, hi2;	/* second byte */
	} t[] = {
		{0x00, 0x7F, 1, 0, 0},
		{0xC2, 0xDF, 2, 0x80, 0xBF},
		{0xE0, 0xE0, 3, 0xA0, 0xBF},
		{0xE1, 0xEC, 3, 0x80, 0xBF},
		{0xED, 0xED, 3, 0x80, 0x9F},
		{0xEE, 0xEF, 3, 0x80, 0xBF},
		{0xF0, 0xF0, 4, 0x90, 0xBF},
		{0xF1, 0xF3, 4, 0x80, 0xBF},
		{0xF4, 0xF4, 4, 0x80, 0x8F},
	};
	size_t i;
	int k;

	if(n == 0)
		return 0;
	for(i = 0; i < sizeof t / sizeof t[0]; i++){
		if(s[0] < t[i].lo || s[0] > t[i].hi)
			continue;
		if(t[i].len == 1)
			return 1;
		if(n < (size_t)t[i].len || s[1] < t[i].lo2 || s[1] > t[i].hi2)
			return 0;
		for(k = 2; k < t[i].len; k++)
			if(s[k] < 0x80 || s[k] > 0xBF)
				return 0;
		return t[i].len;
	}
	return 0;
}

/* the code point of a well-formed sequence of len bytes */
static unsigned
codepoint(const unsigned char *s, int len)
{
	static const unsigned lead[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
	unsigned v;
	int k;

	v = s[0] & lead[len];
	for(k = 1; k < len; k++)
		v = v*64 + (s[k] - 0x80u);
	return v;
}

static int
validutf8(const unsigned char *s, size_t n)
{
	size_t i;
	int k;

	for(i = 0; i < n; i += (size_t)k)
		if((k = wellformed(s + i, n - i)) == 0)
			return 0;
	return 1;
}

/* how many bytes a first byte announces */
static int
announced(unsigned char c)
{
	if(c < 0x80)
		return 1;
	if(c < 0xE0)
		return 2;
	if(c < 0xF0)
		return 3;
	return 4;
}

/*
 * What %s makes of the n bytes at s, into out (room for 3n bytes):
 * well-formed sequences pass, any other byte becomes U+FFFD, and a
 * tail shorter than its first byte announces ends the string.
 */
static size_t
modelstr(const unsigned char *s, size_t n, unsigned char *out)
{
	size_t i, o;
	int k;

	for(i = o = 0; i < n; ){
		if(n - i < (size_t)announced(s[i]))
			break;
		k = wellformed(s + i, n - i);
		if(k > 0){
			memcpy(out + o, s + i, (size_t)k);
			o += (size_t)k;
			i += (size_t)k;
		}else{
			memcpy(out + o, "\xEF\xBF\xBD", 3);
			o += 3;
			i++;
		}
	}
	return o;
}
