# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix thread model: the win32 one lacks
# std::thread). Used to build Qt and libjpeg-turbo into the toolchain cache, and chained by Qt's own
# qt.toolchain.cmake when our programs are built against them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)
# A C decoder's longjmp without SEH unwinding (see the header).
set(CMAKE_C_FLAGS_INIT "-include ${CMAKE_CURRENT_LIST_DIR}/setjmp-no-unwind.h")

# Only the target's own libraries and headers, never the host's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
