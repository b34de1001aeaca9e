# Cross-builds the Windows programs with Debian's mingw-w64 (posix thread model, so that
# std::thread and std::mutex work):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DGW_BUILD_UI=OFF
# The programs are linked statically (no compiler DLLs to ship) and run under wine64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(gw_mingw x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${gw_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${gw_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${gw_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${gw_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)   # Debian: the launcher of wine64
