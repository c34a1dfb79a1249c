# Every setting here may be overridden on the command line: make CXX=... PREFIX=...
VERSION = 0.1

PREFIX = /usr/local
BINDIR = $(PREFIX)/bin
MANDIR = $(PREFIX)/share/man
# run on the installed programs; STRIP=true keeps the symbols
STRIP = $(CROSS)strip

# the shipped programs: C++ compiled against musl, linked statically by the C driver;
# ARCH=aarch64 (or x86_64 on an aarch64 host) cross-builds with Debian's
# $(ARCH)-linux-gnu- compilers and musl for that machine, into build/$(ARCH)
HOSTARCH := $(shell uname -m)
ARCH = $(HOSTARCH)
MUSLSPECS = /usr/lib/$(ARCH)-linux-musl/musl-gcc.specs
CROSS = $(if $(filter $(HOSTARCH),$(ARCH)),,$(ARCH)-linux-gnu-)
CXX = $(CROSS)g++
CC = $(CROSS)gcc

# hardening of the shipped binaries: what costs no instruction (README, Reliability)
HARDENFLAGS =
HARDENLDFLAGS = -Wl,-z,noexecstack
# size and layout of the shipped binaries: two segments, not four pages each
# aligned apart; a static program that musl starts has no loader to make
# the relro part read-only, so it only costs a page
SIZEFLAGS =
SIZELDFLAGS = -Wl,-z,noseparate-code -Wl,-z,norelro
# no build path, time or id in the output
REPROFLAGS = -ffile-prefix-map=$(CURDIR)=.
REPROLDFLAGS = -Wl,--build-id=none

CXXFLAGS = -std=c++20 -Os -Wall -Wextra -Wconversion -Wshadow -Wwrite-strings \
	-fno-exceptions -fno-rtti -fno-unwind-tables -fno-asynchronous-unwind-tables \
	-fno-threadsafe-statics -ffunction-sections -fdata-sections \
	$(HARDENFLAGS) $(SIZEFLAGS) $(REPROFLAGS)
LDFLAGS = -static -Wl,--gc-sections $(HARDENLDFLAGS) $(SIZELDFLAGS) $(REPROLDFLAGS)

# the unit tests: the same sources built for the host C library, under sanitizers
HOSTCXX = g++
HOSTCXXFLAGS = -std=c++20 -g -O1 -Wall -Wextra -fno-exceptions -fno-rtti \
	-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer

# where everything built goes
O = build$(if $(CROSS),/$(ARCH))
