# Two entry points for a fresh Debian 12 machine (as root):
#   make demo   set everything up, build, and run the loader under Wine
#   make test   set everything up, build every configuration and run every test
.PHONY: setup demo test clean

setup:
	bash scripts/setup.sh

demo: setup
	cmake --preset win32 >/dev/null
	cmake --build --preset win32
	bash scripts/demo.sh

test: setup
	bash scripts/run-tests.sh

clean:
	rm -rf build/native build/native-asan build/win32 build/win64
