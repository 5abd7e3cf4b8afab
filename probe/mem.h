/* Physical-memory windows through /dev/mem, shared process-wide by open count;
 * the front processor's registers are reached this way. */
#ifndef FEPROBE_MEM_H
#define FEPROBE_MEM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Opens /dev/mem (O_RDWR | O_SYNC) unless already open and adds a user.
 * Returns 0, or -1 after perror("/dev/mem") (user count unchanged). */
int mem_open(void);

/* Drops a user; the last one closes /dev/mem. */
void mem_close(void);

/* Maps size bytes at physical address phys (need not be page-aligned).
 * Returns a pointer to the byte at phys, or NULL after perror("mmap"). */
void* mem_map(uint32_t phys, size_t size);

/* Unmaps a mem_map result of the same size; a failure is reported with
 * perror("munmap") and otherwise ignored. */
void mem_unmap(void* ptr, size_t size);

#ifdef __cplusplus
}
#endif

#endif
