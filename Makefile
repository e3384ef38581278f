# Tavo: `make run` plays, `make test` checks, `make install` installs. All
# install what the build needs first (Debian packages), then configure and
# build with CMake + Ninja.

BUILD    ?= build
FUZZ_BUILD ?= build-fuzz
PREFIX   ?= /usr/local
PACKAGES := cmake ninja-build g++ pkg-config libsdl2-dev zlib1g-dev libminizip-dev \
            libgtest-dev libbenchmark-dev z80asm pngcheck \
            libavformat-dev libavcodec-dev libswscale-dev libavutil-dev \
            xvfb xdotool x11-apps \
            desktop-file-utils appstream shared-mime-info libxml2-utils groff-base
JOBS     ?= $(shell nproc)
ROM      ?= $(BUILD)/roms/demo.sms

.PHONY: run test build deps bench fuzz install clean

# The program in its window; without a display the same cartridge plays
# through tavo-headless, which keeps the last picture and the sound.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  exec $(BUILD)/tavo "$(ROM)"; \
	else \
	  echo "No display to open (neither DISPLAY nor WAYLAND_DISPLAY is set): playing $(ROM) with tavo-headless for 600 frames, last picture in $(BUILD)/run.png, sound in $(BUILD)/run.wav."; \
	  exec $(BUILD)/tavo-headless --frames 600 --bench --screenshot $(BUILD)/run.png --wav $(BUILD)/run.wav "$(ROM)"; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

build: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD) -j $(JOBS)

# tavo and tavo-headless into $(PREFIX)/bin, the shipped data into
# $(PREFIX)/share/tavo, the desktop entry, MIME types, icons, manual page
# and AppStream file into their places under $(PREFIX)/share; then the
# desktop's MIME and application caches are brought up to date (not for a
# staged DESTDIR install, which the packager's tools finish).
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ]; then \
	  if command -v update-mime-database >/dev/null; then update-mime-database "$(PREFIX)/share/mime" || true; fi; \
	  if command -v update-desktop-database >/dev/null; then update-desktop-database -q "$(PREFIX)/share/applications" || true; fi; \
	fi

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

# libFuzzer targets in their own clang tree: make fuzz, then run for example
# build-fuzz/tests/fuzz/fuzz_png tests/fuzz/corpus/png
fuzz: deps
	@[ -f $(FUZZ_BUILD)/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DTAVO_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	  else \
	    echo "Missing packages. Run:"; echo "  sudo apt-get update && sudo apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
