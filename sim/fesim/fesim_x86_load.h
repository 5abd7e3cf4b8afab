/* Decoding of the few x86-64 load instructions a compiler emits for a
 * volatile register read, so the front-processor fault handler can perform
 * the load itself instead of single-stepping it (one signal per access
 * instead of two, and no page protection changes). */
#ifndef FESIM_X86_LOAD_H
#define FESIM_X86_LOAD_H

#include <stddef.h>
#include <stdint.h>

struct fesim_x86_load {
  unsigned length; /* bytes of the instruction */
  unsigned reg;    /* destination register number, 0 = rax .. 15 = r15 */
  unsigned width;  /* bytes loaded: 1 (zero-extended) or 4 (zero-extended) or 8 */
};

/* Decodes the instruction at code (at most avail bytes readable) as a load
 * from memory into a general register: movzbl/movzbq (0F B6), and mov r32 or
 * r64 from memory (8B), with an optional REX prefix. Returns 0, or -1 for any
 * other instruction or form (the caller then single-steps it). */
int fesim_x86_load_decode(const uint8_t* code, size_t avail, struct fesim_x86_load* out);

#endif
