# Cross-compiles the program for 64-bit Windows with Debian's MinGW-w64
# (package g++-mingw-w64-x86-64-posix: POSIX threads, so std::thread works).
#
# Qt for Windows comes from a prefix of its own, built by scripts/windows-qt
# or given by hand: -DQT_WINDOWS_PREFIX=<folder> or the environment variable
# of the same name. Qt's host tools (moc, uic, rcc) are the Linux ones in
# /usr, of the same version.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT QT_WINDOWS_PREFIX AND DEFINED ENV{QT_WINDOWS_PREFIX})
  set(QT_WINDOWS_PREFIX "$ENV{QT_WINDOWS_PREFIX}")
endif()
if(NOT QT_WINDOWS_PREFIX)
  message(FATAL_ERROR "Give the Qt for Windows prefix: -DQT_WINDOWS_PREFIX=<folder> "
    "(scripts/windows-qt builds one)")
endif()
set(QT_WINDOWS_PREFIX "${QT_WINDOWS_PREFIX}" CACHE PATH "Qt 6 for Windows (x86-64, MinGW)")
# The toolchain file is read again for every try-compile: pass the prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QT_WINDOWS_PREFIX)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${QT_WINDOWS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
