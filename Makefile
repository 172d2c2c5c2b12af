# The commands a newcomer needs. Each installs what the machine lacks, configures the
# preset it needs and builds with two jobs. Builds are serialised through a lock file
# because the machine has two cores and several builds at once only thrash it.

LOCK   := flock /tmp/ov_plumb-build.lock
DEPS   := scripts/install-deps.sh
CTEST  := ctest --test-dir build/test --output-on-failure -j2

.PHONY: all deps build test demo bench fuzz clean

all: build

deps:
	@bash $(DEPS)

build/%/build.ninja:
	@bash $(DEPS)
	cmake --preset $* >/dev/null

build: build/release/build.ninja
	$(LOCK) cmake --build --preset release

test: build/test/build.ninja
	$(LOCK) cmake --build --preset test
	$(CTEST)

demo: build
	bash scripts/demo.sh

bench: build
	bash scripts/bench.sh

fuzz: build/fuzz/build.ninja
	$(LOCK) cmake --build --preset fuzz
	bash scripts/fuzz.sh

clean:
	rm -rf build out
