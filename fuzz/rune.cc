/*
 * Rune decoding over any bytes: at every offset chartorune consumes
 * 1 to 4 bytes, never passes the terminating null, and gives the
 * code point of a well-formed sequence or Runeerror for one byte.
 * runetochar and fullrune are held to the same table.
 */
#include <stdint.h>
#include <stdlib.h>
#include <libc.h>
#include "model.h"

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	unsigned char *s, b[UTFmax];
	size_t i, m;
	Rune r;
	int n, k;

	/* exactly the bytes and their null, so a read past the end is caught */
	s = (unsigned char*)malloc(size + 1);
	memcpy(s, data, size);
	s[size] = '\0';
	for(i = 0; i < size; i++){
		n = chartorune(&r, (const char*)s + i);
		if(n < 1 || n > UTFmax || i + (size_t)n > size)
			abort();
		k = wellformed(s + i, size - i);
		if(k > 0){
			if(n != k || r != codepoint(s + i, k))
				abort();
			if(runetochar((char*)b, &r) != k || memcmp(b, s + i, (size_t)k) != 0)
				abort();
		}else if(n != 1 || r != Runeerror)
			abort();
		for(m = 0; m <= UTFmax && i + m <= size; m++)
			if(fullrune((const char*)s + i, (int)m) != (m > 0 && m >= (size_t)announced(s[i])))
				abort();
	}

	/* any 32-bit value encodes as one well-formed sequence of itself, else of Runeerror */
	for(i = 0; i + 4 <= size; i += 4){
		r = (Rune)data[i] | (Rune)data[i+1]<<8 | (Rune)data[i+2]<<16 | (Rune)data[i+3]<<24;
		n = runetochar((char*)b, &r);
		if(n < 1 || n > UTFmax || wellformed(b, (size_t)n) != n)
			abort();
		if(r <= Runemax && (r < 0xD800 || r > 0xDFFF)){
			if(codepoint(b, n) != r)
				abort();
		}else if(codepoint(b, n) != Runeerror)
			abort();
	}
	free(s);
	return 0;
}
