# Cross-compiling toolchain for MinGW-w64 with a static runtime.
# LS_ARCH selects the target: i686 (the shipped 32-bit build, default) or x86_64.
# LS_THREADS selects the compilers' thread model: win32 (default) for the
# deliverables, which link none of the compilers' runtime (they carry their
# own, runtime/); posix for the tests, whose framework needs std::mutex.
if(NOT LS_ARCH)
  set(LS_ARCH i686)
endif()
if(NOT LS_THREADS)
  set(LS_THREADS win32)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${LS_ARCH})
set(_triple ${LS_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER   ${_triple}-gcc-${LS_THREADS})
set(CMAKE_CXX_COMPILER ${_triple}-g++-${LS_THREADS})
set(CMAKE_RC_COMPILER  ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Page-aligned sections in the file let Wine map the images instead of
# reading them into private memory; release images carry no symbols.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++ -Wl,--file-alignment,4096")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--file-alignment,4096")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT    "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
