# the real binaries under faults: descriptor 2, injected kernel errors,
# edge names and values, privilege and namespaces, locale variables
PKG += gettext
CHECKDEPS += $(O)/localeprobe
SUITES += "bash test/fault.sh $(O)"

$(O)/localeprobe: test/localeprobe.cc
	$(call helper)
