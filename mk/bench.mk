# make bench [ROUNDS=n] [SEED=n]: ours against the floor and the peers, as root;
# writes $(BENCHOUT)/results.md and $(BENCHOUT)/time.png
BENCHPKG = musl-tools binutils strace valgrind busybox-static toybox coreutils mount gnuplot-nox
BENCHOUT = bench
ROUNDS = 2000
SEED = 1

FLOORS = $(O)/bench/floor-exit $(O)/bench/floor-mount $(O)/bench/floor-link

# the floors are built exactly as ours are, so that only the code differs
$(O)/bench/floor-exit: bench/floor.cc
	$(call helper)

$(O)/bench/floor-mount: bench/floor.cc
	$(call helper,-DFLOOR_MOUNT)

$(O)/bench/floor-link: bench/floor.cc
	$(call helper,-DFLOOR_LINK)

$(O)/bench/runner: bench/runner.c
	@mkdir -p $(@D)
	$(HOSTCC) -O2 -Wall -Wextra -o $@ bench/runner.c

HOSTCC = gcc

bench-deps:
	@sh tools/deps $(BENCHPKG)

bench: bench-deps all $(FLOORS) $(O)/bench/runner
	@if [ -n "$(CROSS)" ]; then echo "bench: runs on this machine's own architecture only" >&2; exit 1; fi
	@mkdir -p $(BENCHOUT)
	@sh bench/bench.sh $(O) $(BENCHOUT) $(ROUNDS) $(SEED)

.PHONY: bench bench-deps
