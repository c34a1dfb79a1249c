/* the command line both programs share: [-m mountpoint] */
[[noreturn]] void	usage(void);
const char*		mntarg(int argc, char *argv[], const char *mntpoint);
