/* Included before every C source of the Windows toolchain (libjpeg-turbo, whose TurboJPEG our decoder
 * calls from several threads, and the C libraries Qt bundles). MinGW-w64's setjmp on x86-64 records the
 * frame so that longjmp unwinds the stack the SEH way; a decoder's error handler only needs its
 * registers back, as longjmp does elsewhere, and a null frame jumps without unwinding. Not for C++:
 * GCC uses a precompiled header only when nothing comes before it, and Qt's build without its
 * precompiled headers took twice as long. */
#pragma once
#include <setjmp.h>
#if defined(__x86_64__) && defined(__SEH__)
#undef setjmp
#define setjmp(BUF) _setjmp((BUF), NULL)
#endif
