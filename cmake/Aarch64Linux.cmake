# Cross-compiling for 64-bit ARM Linux with Debian's aarch64 toolchain against
# KELMORA_ARM64_SYSROOT: Debian's arm64 packages unpacked there by tools/build-arm64.sh.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KELMORA_ARM64_SYSROOT)
set(CMAKE_SYSROOT ${KELMORA_ARM64_SYSROOT})
# Libraries, headers and packages from the sysroot only (the machine's own are x86-64); programs
# from the machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${KELMORA_ARM64_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR}
    ${KELMORA_ARM64_SYSROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:${KELMORA_ARM64_SYSROOT}/usr/share/pkgconfig)
# The linker finds the libraries' own dependencies (libGLX, libxcb, ...) in the sysroot.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,-rpath-link,${KELMORA_ARM64_SYSROOT}/usr/lib/aarch64-linux-gnu -Wl,-rpath-link,${KELMORA_ARM64_SYSROOT}/usr/lib")

# The test discovery at build time and CTest run the programs under qemu-user, which finds the
# loader, the libraries and Mesa's drivers in the sysroot.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L ${KELMORA_ARM64_SYSROOT})
