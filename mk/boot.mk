# The boot test: the two programs and boot/init.cc as /init of an initramfs,
# booted on Debian's cloud kernel under QEMU; and what a cross build needs.
DEBARCH_x86_64 = amd64
DEBARCH_aarch64 = arm64
BOOTPKG_x86_64 = qemu-system-x86
BOOTPKG_aarch64 = qemu-system-arm
CROSSPKG = gcc-$(subst _,-,$(ARCH))-linux-gnu g++-$(subst _,-,$(ARCH))-linux-gnu \
	musl-dev:$(DEBARCH_$(ARCH)) qemu-user-static
BOOTTIMEOUT = 120

boottest: bootdeps all $(O)/boot/init
	@sh boot/run $(ARCH) $(O) $(BOOTTIMEOUT)

bootdeps: deps
	@sh tools/deps $(BOOTPKG_$(ARCH))

$(O)/boot/init: boot/init.cc
	$(call helper)

ifneq ($(CROSS),)
PKG += $(CROSSPKG)
# a cross build installs its compilers and musl before it compiles
$(LIB9OBJ) $(PROGS:%=$(O)/kernfs/%.o) $(O)/kernfs/frame.o $(O)/probe $(O)/boot/init: | deps
deps: foreignarch

# apt installs musl for another machine only once dpkg knows that machine
foreignarch:
	@dpkg --print-foreign-architectures | grep -qx $(DEBARCH_$(ARCH)) || \
	if [ "$$(id -u)" -ne 0 ]; then \
		echo "as root: dpkg --add-architecture $(DEBARCH_$(ARCH)) && apt-get update" >&2; exit 1; \
	else \
		dpkg --add-architecture $(DEBARCH_$(ARCH)) && apt-get update -q >/dev/null; \
	fi
endif

.PHONY: boottest bootdeps foreignarch
