include config.mk

# what the build and the tests need from Debian
PKG = musl-tools strace util-linux

LIB9 = argv0 exits fmt fprint main rune snprint sysfatal
PROGS = pidmount fdlink
LIB9OBJ = $(LIB9:%=$(O)/lib9/%.o)
HDR = lib9/libc.h lib9/fmt.h lib9/utf.h lib9/fmtdef.h kernfs/frame.h

all: $(PROGS:%=$(O)/%)

$(O)/lib9/%.o: lib9/%.cc $(HDR)
	@mkdir -p $(@D)
	$(CXX) -specs $(MUSLSPECS) $(CXXFLAGS) -Ilib9 -c -o $@ $<

$(O)/kernfs/%.o: kernfs/%.cc $(HDR)
	@mkdir -p $(@D)
	$(CXX) -specs $(MUSLSPECS) $(CXXFLAGS) -Ilib9 -c -o $@ $<

# the recipe of a static helper made of its first prerequisite alone, built
# as the programs are: $(call helper[,CXXFLAGS])
define helper
@mkdir -p $(@D)
$(CXX) -specs $(MUSLSPECS) $(CXXFLAGS) $(1) -c -o $@.o $<
$(CC) -specs $(MUSLSPECS) $(LDFLAGS) -o $@ $@.o
endef

$(O)/lib9.a: $(LIB9OBJ)
	rm -f $@
	ar rcs $@ $(LIB9OBJ)

# The programs must not need the C++ run time, nor run code before main:
# refuse to link an object that does.
$(O)/%: $(O)/kernfs/%.o $(O)/kernfs/frame.o $(O)/lib9.a
	@if nm -u $(O)/kernfs/$*.o $(O)/kernfs/frame.o $(O)/lib9.a | \
	    grep -E '__cxa_|__gxx_|_Znw|_Zna|_Zdl|_Zda|_ZTI|_ZTV'; then \
		echo "$@: needs the C++ run time" >&2; exit 1; fi
	@if readelf -SW $(O)/kernfs/$*.o $(O)/kernfs/frame.o $(O)/lib9.a | \
	    grep -E '\.init_array|\.ctors'; then \
		echo "$@: has static constructors" >&2; exit 1; fi
	$(CC) -specs $(MUSLSPECS) $(LDFLAGS) -o $@ $(O)/kernfs/$*.o $(O)/kernfs/frame.o $(O)/lib9.a

# host builds for the unit tests
$(O)/host/%.o: lib9/%.cc $(HDR)
	@mkdir -p $(@D)
	$(HOSTCXX) $(HOSTCXXFLAGS) -Ilib9 -c -o $@ $<

$(O)/host/frame.o: kernfs/frame.cc $(HDR)
	@mkdir -p $(@D)
	$(HOSTCXX) $(HOSTCXXFLAGS) -Ilib9 -c -o $@ $<

$(O)/host/test/%.o: test/%.cc test/unit.h $(HDR)
	@mkdir -p $(@D)
	$(HOSTCXX) $(HOSTCXXFLAGS) -Ilib9 -Ikernfs -c -o $@ $<

HOSTLIB = $(filter-out $(O)/host/main.o,$(LIB9:%=$(O)/host/%.o))

$(O)/test/lib9: $(O)/host/test/lib9.o $(HOSTLIB)
	@mkdir -p $(@D)
	$(HOSTCXX) $(HOSTCXXFLAGS) -o $@ $^

$(O)/test/frame: $(O)/host/test/frame.o $(O)/host/frame.o $(HOSTLIB)
	@mkdir -p $(@D)
	$(HOSTCXX) $(HOSTCXXFLAGS) -o $@ $^

UNITS = $(O)/test/lib9 $(O)/test/frame

# what make check builds and runs; mk/*.mk add their own
CHECKDEPS = all $(UNITS) $(O)/probe
SUITES = $(UNITS) "bash test/e2e.sh $(O)"

# a static helper the end-to-end tests run inside chroots
$(O)/probe: test/probe.cc
	$(call helper)

deps:
	@sh tools/deps $(PKG)

include $(wildcard mk/*.mk)

# the packages first, even under make -j
check: deps
	@$(MAKE) --no-print-directory checkrun

checkrun: $(CHECKDEPS)
	@sh test/run $(SUITES)

demo: deps all $(O)/probe
	@sh tools/demo $(O)

MAN8 = $(PROGS:%=kernfs/%.8)

# mkdir -p, not install -d, which would change the mode of an existing directory
install: all
	mkdir -p $(DESTDIR)$(BINDIR) $(DESTDIR)$(MANDIR)/man8
	install -m 755 $(PROGS:%=$(O)/%) $(DESTDIR)$(BINDIR)
	$(STRIP) $(PROGS:%=$(DESTDIR)$(BINDIR)/%)
	install -m 644 $(MAN8) $(DESTDIR)$(MANDIR)/man8

uninstall:
	rm -f $(PROGS:%=$(DESTDIR)$(BINDIR)/%) $(PROGS:%=$(DESTDIR)$(MANDIR)/man8/%.8)
	@sh tools/rmdirs "$(DESTDIR)" $(BINDIR) $(MANDIR)/man8

clean:
	rm -rf $(O)

.PHONY: all deps check checkrun demo install uninstall clean
.SECONDARY:
