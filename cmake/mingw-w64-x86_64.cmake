# Cross-compiles stillmon for 64-bit Windows with Debian's MinGW-w64 (the posix thread flavour,
# which has std::thread, std::mutex and std::condition_variable).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(STILLMON_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${STILLMON_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STILLMON_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${STILLMON_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW sysroot and from the prefixes the build adds
# (CMAKE_PREFIX_PATH, e.g. the SDL2 built into build-windows/deps); programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${STILLMON_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests built here run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# The libraries scripts/build-windows builds for Windows from Debian's sources.
if(STILLMON_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${STILLMON_WINDOWS_DEPS})
  list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES STILLMON_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} ${STILLMON_WINDOWS_DEPS}/lib/pkgconfig)
endif()

# The C and C++ runtimes linked in, so stillmon.exe needs no MinGW DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive")
