# the real binaries under faults: descriptor 2, injected kernel errors,
# edge names and values, privilege and namespaces, locale variables
PKG += gettext
CHECKDEPS += $(O)/localeprobe
SUITES += "bash test/fault.sh $(O)"

$(O)/localeprobe: test/localeprobe.cc
	@mkdir -p $(@D)
	$(CXX) -specs $(MUSLSPECS) $(CXXFLAGS) -c -o $(O)/localeprobe.o test/localeprobe.cc
	$(CC) -specs $(MUSLSPECS) $(LDFLAGS) -o $@ $(O)/localeprobe.o
