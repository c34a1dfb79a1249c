#include <libc.h>

int
main(int argc, char *argv[])
{
	p9main(argc, argv);
	exits("main");
}
