# make fuzz: every libFuzzer target for FUZZTIME seconds, each from its
# seed corpus in fuzz/corpus/NAME; any crash, leak or timeout fails.
# New inputs and crash files go under $(O)/fuzz, never into the tree.
FUZZTIME = 60
FUZZPKG = clang libclang-rt-14-dev
FUZZCXX = clang++
FUZZFLAGS = -std=c++20 -g -O1 -fno-exceptions -fno-rtti -fno-omit-frame-pointer \
	-fsanitize=address,undefined -fno-sanitize-recover=all
FUZZRUN = -max_len=4096 -timeout=10 -rss_limit_mb=1024
FUZZ = rune fmt args

# the library and frame as each target needs them, args with its own exits and fprint
FUZZLIB = $(filter-out $(O)/fuzzobj/main.o,$(LIB9:%=$(O)/fuzzobj/%.o))
FUZZOBJ_rune = $(O)/fuzzobj/rune.o
FUZZOBJ_fmt = $(FUZZLIB)
FUZZOBJ_args = $(filter-out $(O)/fuzzobj/exits.o $(O)/fuzzobj/fprint.o,$(FUZZLIB)) $(O)/fuzzobj/frame.o

$(O)/fuzzobj/%.o: lib9/%.cc $(HDR)
	@mkdir -p $(@D)
	$(FUZZCXX) $(FUZZFLAGS) -fsanitize=fuzzer-no-link -Ilib9 -c -o $@ $<

$(O)/fuzzobj/frame.o: kernfs/frame.cc $(HDR)
	@mkdir -p $(@D)
	$(FUZZCXX) $(FUZZFLAGS) -fsanitize=fuzzer-no-link -Ilib9 -c -o $@ $<

$(O)/fuzzobj/fuzz-%.o: fuzz/%.cc fuzz/model.h $(HDR)
	@mkdir -p $(@D)
	$(FUZZCXX) $(FUZZFLAGS) -fsanitize=fuzzer-no-link -Ilib9 -Ikernfs -c -o $@ $<

FUZZLINK = @mkdir -p $(@D); echo $(FUZZCXX) -o $@ $^; $(FUZZCXX) $(FUZZFLAGS) -fsanitize=fuzzer -o $@ $^
$(O)/fuzz/rune: $(O)/fuzzobj/fuzz-rune.o $(FUZZOBJ_rune)
	$(FUZZLINK)
$(O)/fuzz/fmt: $(O)/fuzzobj/fuzz-fmt.o $(FUZZOBJ_fmt)
	$(FUZZLINK)
$(O)/fuzz/args: $(O)/fuzzobj/fuzz-args.o $(FUZZOBJ_args)
	$(FUZZLINK)

fuzzdeps:
	@sh tools/deps $(FUZZPKG)

fuzz: fuzzdeps $(FUZZ:%=$(O)/fuzz/%)
	@sh fuzz/run $(O)/fuzz $(FUZZTIME) "$(FUZZRUN)" $(FUZZ)

.PHONY: fuzz fuzzdeps
