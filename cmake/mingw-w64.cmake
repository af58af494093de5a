# Cross build for 64-bit Windows with Debian's MinGW-w64 toolchain, posix thread model
# (std::thread and std::shared_mutex need it). Used by the `windows` preset.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QRC_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QRC_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QRC_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QRC_MINGW_TRIPLET}-windres)

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QRC_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The build's programs run under Wine (scripts/wine-run.sh): CTest runs the test
# executables through it.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
