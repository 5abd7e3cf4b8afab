/* The box's front processor as seen through /dev/mem: the control window at
 * physical 0x18000000 (busy bit) and the transmit window at 0x1E000000
 * (ready bit, transmit register). Every byte stored to the transmit register
 * is logged as "fp XX". */
#ifndef FESIM_FP_H
#define FESIM_FP_H

#include <stddef.h>
#include <stdint.h>

#include "fesim_config.h"

#define FESIM_FP_CTRL_PHYS 0x18000000u
#define FESIM_FP_TX_PHYS 0x1E000000u
#define FESIM_FP_WINDOW_SIZE 4096u
#define FESIM_FP_BUSY_REG 0x8A0u
#define FESIM_FP_STATUS_REG 0x25u
#define FESIM_FP_DATA_REG 0x20u

/* Takes the busy and ready behaviour from cfg, which must outlive the model. */
void fesim_fp_init(const struct fesim_config* cfg);

/* Value the busy word (32 bits) shows on its next read; counts the read. */
uint32_t fesim_fp_read_busy(void);

/* Value the status byte shows on its next read; counts the read. */
uint8_t fesim_fp_read_status(void);

/* A store of value at physical address phys: logs "fp XX" for the transmit
 * register (and starts the next byte's not-ready reads), "mem w PHYS XX" for
 * anything else. */
void fesim_fp_store(uint64_t phys, uint8_t value);

/* Maps len bytes of simulated physical memory starting at phys (page-aligned)
 * for a mapping of /dev/mem. Returns the mapping, or MAP_FAILED with errno
 * EINVAL when the range touches neither window, ENODEV where the trap
 * mechanism is not built (it is x86-64 only), or the mmap error. */
void* fesim_fp_map(size_t len, uint64_t phys);

/* Unmaps a mapping made by fesim_fp_map. Returns 1 when addr is not one of
 * ours (the caller then passes the call on), else munmap's result. */
int fesim_fp_unmap(void* addr, size_t len);

#endif
