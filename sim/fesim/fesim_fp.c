/* Register behaviour of the front processor: how long it stays busy, how
 * many status reads pass before the transmitter takes the next byte, and the
 * capture of transmitted bytes. The bits the probe must ignore read as 1, so
 * a test of the wrong bit shows up at once. */
#include "fesim_fp.h"

#include <inttypes.h>

#include "fesim_log.h"

#define BUSY_BIT 0x10u
#define READY_BIT 0x20u

static const struct fesim_config* fp_cfg;
static long busy_reads;
static long not_ready_left;

void fesim_fp_init(const struct fesim_config* cfg) {
  fp_cfg = cfg;
  busy_reads = 0;
  not_ready_left = cfg->fp_ready_first != FESIM_UNSET ? cfg->fp_ready_first : cfg->fp_ready_after;
}

uint32_t fesim_fp_read_busy(void) {
  int busy = fp_cfg->fp_busy < 0 || busy_reads < fp_cfg->fp_busy;
  busy_reads++;
  return busy ? 0xffffffffu : ~BUSY_BIT;
}

uint8_t fesim_fp_read_status(void) {
  if (not_ready_left < 0) {
    return (uint8_t)~READY_BIT; /* never ready */
  }
  if (not_ready_left > 0) {
    not_ready_left--;
    return (uint8_t)~READY_BIT;
  }
  return 0xff;
}

void fesim_fp_store(uint64_t phys, uint8_t value) {
  if (phys == FESIM_FP_TX_PHYS + FESIM_FP_DATA_REG) {
    fesim_log("fp %02x", value);
    not_ready_left = fp_cfg->fp_ready_after;
    return;
  }
  fesim_log("mem w %08" PRIx64 " %02x", phys, value);
}
