/* Scan band table, channel list building and --freq scaling. */
#include "scan.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#define FREQ_SCALE_BELOW 10000000u

const scan_band scan_bands[SCAN_BAND_COUNT] = {
    {0x0080, 48000, 84000, 6000},   {0x0100, 91250, 115250, 6000},  {0x0100, 120000, 168000, 6000},
    {0x0200, 174000, 210000, 6000}, {0x0400, 216000, 294000, 6000}, {0x0800, 300000, 546000, 6000},
    {0x0001, 50500, 64500, 7000},   {0x0001, 73000, 81000, 8000},   {0x0002, 107500, 107500, 7000},
    {0x0002, 113000, 121000, 8000}, {0x0002, 128500, 170500, 7000}, {0x1004, 177500, 226500, 7000},
    {0x0008, 233500, 296500, 7000}, {0x0010, 306000, 466000, 8000}, {0x2000, 529500, 578500, 7000},
    {0x0020, 474000, 602000, 8000}, {0x4000, 585500, 816500, 7000}, {0x0040, 610000, 858000, 8000},
};

uint32_t scan_band_channels(const scan_band* band) {
  if (band->stop < band->start) {
    return 0;
  }
  return (band->stop - band->start) / band->step + 1u;
}

size_t scan_list_count(uint32_t mask) {
  size_t total = 0;
  size_t row;
  for (row = 0; row < SCAN_BAND_COUNT; row++) {
    if (scan_bands[row].mask & mask) {
      total += scan_band_channels(&scan_bands[row]);
    }
  }
  return total;
}

channel* scan_list_build(uint32_t mask) {
  size_t total = scan_list_count(mask);
  size_t next = 0;
  size_t row;
  channel* list;

  if (total == 0) {
    return NULL;
  }
  list = calloc(total + 1, sizeof(*list));
  if (!list) {
    perror("calloc");
    return NULL;
  }
  for (row = 0; row < SCAN_BAND_COUNT; row++) {
    const scan_band* band = &scan_bands[row];
    uint32_t k;
    uint32_t count;
    if (!(band->mask & mask)) {
      continue;
    }
    count = scan_band_channels(band);
    for (k = 0; k < count; k++) {
      list[next].frequency = (band->start + k * band->step) * 1000u;
      list[next].bandwidth = band->step * 1000u;
      next++;
    }
  }
  return list;
}

int normalize_frequency(uint32_t f, uint32_t* out) {
  while (f != 0 && f < FREQ_SCALE_BELOW) {
    if (f > UINT32_MAX / 1000u) {
      return -EOVERFLOW;
    }
    f *= 1000u;
  }
  *out = f;
  return 0;
}
