# Cross-compiling for 64-bit ARM Linux with Debian's aarch64 toolchain, against the arm64
# libraries installed as a foreign architecture (dpkg --add-architecture arm64).
# KELMORA_ARM64_LIBNOISE: the folder where libnoise's arm64 packages are unpacked; they are not
# multiarch, so installing them would take the machine's own libnoise away.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KELMORA_ARM64_LIBNOISE)
# Searched before the system folders, where /usr/lib/libnoise.so is the machine's own.
set(CMAKE_LIBRARY_PATH ${KELMORA_ARM64_LIBNOISE}/usr/lib)
# pkg-config answers from the arm64 .pc files only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# The test discovery at build time and CTest run the programs under qemu-user, with the arm64
# libraries of this machine's root.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L /)
