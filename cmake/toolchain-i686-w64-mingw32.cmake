# Cross build for 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686).
#
# The posix flavour of the compiler is used because the libraries use std::mutex, which the
# win32 thread flavour of this compiler version lacks. Its runtime (libgcc, libstdc++,
# winpthread) is linked statically, so that PackLib.dll, PatchLib.dll and the programs need
# nothing beyond the system's own DLLs and run in a bare Wine prefix or on a bare Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QM_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QM_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QM_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QM_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QM_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# The released modules without their symbol tables: half the size, same exports.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
