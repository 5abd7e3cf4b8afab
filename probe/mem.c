/* Physical-memory windows through /dev/mem, shared process-wide by open count. */
#include "mem.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

static int mem_fd = -1;
static int mem_users;

int mem_open(void) {
  if (mem_fd == -1) {
    mem_fd = open("/dev/mem", O_RDWR | O_SYNC);
    if (mem_fd == -1) {
      perror("/dev/mem");
      return -1;
    }
  }
  mem_users++;
  return 0;
}

void mem_close(void) {
  if (mem_users > 0) {
    mem_users--;
  }
  if (mem_users == 0 && mem_fd != -1) {
    close(mem_fd);
    mem_fd = -1;
  }
}

void* mem_map(uint32_t phys, size_t size) {
  uint32_t page = (uint32_t)getpagesize();
  uint32_t offset = phys & (page - 1);
  void* map =
      mmap(NULL, size + offset, PROT_READ | PROT_WRITE, MAP_SHARED, mem_fd, (off_t)(phys - offset));
  if (map == MAP_FAILED) {
    perror("mmap");
    return NULL;
  }
  return (uint8_t*)map + offset;
}

void mem_unmap(void* ptr, size_t size) {
  uintptr_t page = (uintptr_t)getpagesize();
  uintptr_t addr = (uintptr_t)ptr;
  uintptr_t offset = addr & (page - 1);
  if (munmap((void*)(addr - offset), size + offset) == -1) {
    perror("munmap");
  }
}
