/* Included before every source of the Windows build (Qt, its libpng and libjpeg, libjpeg-turbo and
 * ours). MinGW-w64's setjmp on x86-64 records the frame so that longjmp unwinds the stack the SEH way,
 * and that unwinding crashes now and then when a decoder's error handler jumps back, more often with
 * several threads decoding at once. libpng and libjpeg only need their registers back, as longjmp does
 * elsewhere: a null frame jumps without unwinding. */
#pragma once
#include <setjmp.h>
#if defined(__x86_64__) && defined(__SEH__)
#undef setjmp
#define setjmp(BUF) _setjmp((BUF), NULL)
#endif
