/* The ModRM/SIB length rules for the loads in fesim_x86_load.h. */
#include "fesim_x86_load.h"

#define REX_W 0x08
#define REX_R 0x04

/* Bytes of ModRM, SIB and displacement for a memory operand; 0 for a
 * register operand (which cannot fault) or when they do not fit. */
static unsigned modrm_length(const uint8_t* p, size_t avail) {
  unsigned len = 1;
  unsigned rm;
  unsigned mod;
  if (avail < 1) {
    return 0;
  }
  mod = p[0] >> 6;
  rm = p[0] & 7;
  if (mod == 3) {
    return 0;
  }
  if (rm == 4) {
    if (avail < 2) {
      return 0;
    }
    len++;
    if (mod == 0 && (p[1] & 7) == 5) {
      len += 4; /* SIB without base: disp32 */
    }
  } else if (mod == 0 && rm == 5) {
    len += 4; /* RIP-relative disp32 */
  }
  if (mod == 1) {
    len += 1;
  } else if (mod == 2) {
    len += 4;
  }
  return len <= avail ? len : 0;
}

int fesim_x86_load_decode(const uint8_t* code, size_t avail, struct fesim_x86_load* out) {
  unsigned width;
  unsigned mlen;
  size_t i = 0;
  unsigned rex = 0;
  if (avail > 0 && (code[0] & 0xf0) == 0x40) {
    rex = code[0];
    i++;
  }
  if (i + 2 <= avail && code[i] == 0x0f && code[i + 1] == 0xb6) {
    width = 1;
    i += 2;
  } else if (i + 1 <= avail && code[i] == 0x8b) {
    width = (rex & REX_W) != 0 ? 8 : 4;
    i += 1;
  } else {
    return -1;
  }
  mlen = modrm_length(code + i, avail - i);
  if (mlen == 0) {
    return -1;
  }
  out->reg = ((code[i] >> 3) & 7) | ((rex & REX_R) != 0 ? 8 : 0);
  out->width = width;
  out->length = (unsigned)(i + mlen);
  return 0;
}
