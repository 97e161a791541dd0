# Cross-compiling for Linux arm64 with Debian's cross compiler
# (g++-aarch64-linux-gnu).  Tests run under qemu-user, emulating a
# Cortex-A53: a core of the first arm64 architecture version, so that an
# instruction from a later one (in the plug-in's kernels or anywhere else)
# stops the tests instead of slipping through on the emulator's newest
# processor.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The emulator finds the arm64 C and C++ runtimes (and the dynamic loader)
# where Debian's cross packages put them.
find_program(CAGEWARP_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(CAGEWARP_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CAGEWARP_QEMU_AARCH64} -cpu cortex-a53 -L /usr/aarch64-linux-gnu)
endif()
