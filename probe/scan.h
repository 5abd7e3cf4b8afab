/* The scan band table, building a channel list from a band mask, and the
 * scaling of a --freq given in MHz or kHz to Hz. */
#ifndef FEPROBE_SCAN_H
#define FEPROBE_SCAN_H

#include <stddef.h>
#include <stdint.h>

#include "frontend.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One row of the band table, in kHz; the step is also the channel bandwidth. */
typedef struct scan_band {
  uint32_t mask;
  uint32_t start;
  uint32_t stop;
  uint32_t step;
} scan_band;

#define SCAN_BAND_COUNT 18
extern const scan_band scan_bands[SCAN_BAND_COUNT];

/* Channels of a row: start + k*step <= stop for k = 0, 1, ...; 0 when stop < start. */
uint32_t scan_band_channels(const scan_band* band);

/* Number of channels of the rows sharing a bit with mask. */
size_t scan_list_count(uint32_t mask);

/* The channels of every row sharing a bit with mask, in table order, ended by an
 * all-zero record; the caller owns the list (free). Returns NULL when no row is
 * selected (no message) or after perror("calloc"). */
channel* scan_list_build(uint32_t mask);

/* Scales f by 1000 while it is below 10,000,000 (474 and 474000 become
 * 474,000,000); 0 stays 0. Returns 0 with the result in *out, or -EOVERFLOW when
 * a scaling would pass 32 bits (*out untouched). */
int normalize_frequency(uint32_t f, uint32_t* out);

#ifdef __cplusplus
}
#endif

#endif
