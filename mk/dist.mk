# manual pages, install layout, reproducible builds and the source tarball
PKG += mandoc
SUITES += "sh test/man.sh $(O)" "bash test/install.sh $(O)" "bash test/repro.sh"

DISTNAME = kernfs-$(VERSION)

# git archive stamps every member with the commit's time; gzip -n adds none of its own
dist:
	@mkdir -p $(O)
	@git diff --quiet HEAD -- 2>/dev/null; [ $$? -ne 1 ] || echo "dist: uncommitted changes are left out of $(DISTNAME).tar.gz" >&2
	git -c tar.umask=0022 archive --format=tar --prefix=$(DISTNAME)/ HEAD >$(O)/$(DISTNAME).tar
	gzip -9n <$(O)/$(DISTNAME).tar >$(O)/$(DISTNAME).tar.gz
	rm -f $(O)/$(DISTNAME).tar

# the tarball, unpacked where no git repository is, must build and pass every test
distcheck: dist
	@d=$$(mktemp -d /tmp/kernfs-distcheck.XXXXXX) || exit 1; \
	tar -xzf $(O)/$(DISTNAME).tar.gz -C $$d && $(MAKE) -C $$d/$(DISTNAME) check O=build; \
	st=$$?; \
	if [ $$st -eq 0 ]; then rm -rf $$d; echo "$(O)/$(DISTNAME).tar.gz builds and passes make check"; \
	else echo "distcheck: failed; the unpacked tree is left in $$d" >&2; fi; \
	exit $$st

.PHONY: dist distcheck
