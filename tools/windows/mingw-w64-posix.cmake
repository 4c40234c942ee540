# Cross toolchain for 64-bit Windows with Debian's mingw-w64, posix thread model
# (std::thread and std::mutex need it; the win32 flavour lacks them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELLIMO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PELLIMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELLIMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PELLIMO_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${PELLIMO_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${PELLIMO_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Target headers, libraries and CMake packages come only from the mingw sysroot, so that
# no Linux library of the build machine slips into the Windows program; programs run
# during the build are the host's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${PELLIMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
