/* Simulated /dev/mem windows. On x86-64 each window is mapped without access,
 * so every load or store faults. A plain load of the busy word or the status
 * byte is performed by the SIGSEGV handler itself (value from the model into
 * the destination register, instruction skipped). Any other access is
 * single-stepped: the handler puts the register value the model wants into
 * the page, opens it and sets the trap flag, and after the one instruction
 * the SIGTRAP handler hands a store's byte to the model and closes the page
 * again. So each access is seen, in order. Other architectures get ENODEV
 * from the mapping. */
#define _GNU_SOURCE
#include <errno.h>
#include <signal.h>
#include <stdint.h>
#include <string.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include "fesim_fp.h"
#include "fesim_log.h"
#include "fesim_real.h"
#include "fesim_x86_load.h"

#define MAX_WINDOWS 8

struct window {
  uintptr_t base;
  size_t len;
  uint64_t phys;
};

static struct window windows[MAX_WINDOWS];

static struct window* window_at(uintptr_t addr) {
  for (size_t i = 0; i < MAX_WINDOWS; i++) {
    struct window* w = &windows[i];
    if (w->len != 0 && addr >= w->base && addr - w->base < w->len) {
      return w;
    }
  }
  return NULL;
}

#if defined(__x86_64__) && !defined(FESIM_NO_TRAP)

#define TRAP_FLAG 0x100

static int overlaps(uint64_t phys, size_t len, uint64_t start) {
  return phys < start + FESIM_FP_WINDOW_SIZE && start < phys + len;
}

static struct sigaction old_segv;
static struct sigaction old_trap;
static int handlers_installed;
static size_t page_size;

/* The access being single-stepped. */
static struct {
  int active;
  int write;
  uintptr_t addr;
  uintptr_t page;
  uint64_t phys;
} step;

/* Passes a signal that is not ours to whoever had it before. */
static void chain(const struct sigaction* old, int sig, siginfo_t* si, void* uctx) {
  struct sigaction dfl;
  if ((old->sa_flags & SA_SIGINFO) != 0 && old->sa_sigaction) {
    old->sa_sigaction(sig, si, uctx);
    return;
  }
  if (old->sa_handler != SIG_DFL && old->sa_handler != SIG_IGN) {
    old->sa_handler(sig);
    return;
  }
  /* Default action: a fault re-runs and kills; a trap has passed, so raise. */
  memset(&dfl, 0, sizeof(dfl));
  dfl.sa_handler = SIG_DFL;
  sigaction(sig, &dfl, NULL);
  if (sig == SIGTRAP) {
    raise(sig);
  }
}

static void prepare_read(uintptr_t addr, uint64_t phys, const struct window* w) {
  uint64_t busy = FESIM_FP_CTRL_PHYS + FESIM_FP_BUSY_REG;
  uint64_t status = FESIM_FP_TX_PHYS + FESIM_FP_STATUS_REG;
  if (phys >= busy && phys < busy + 4) {
    uint32_t value = fesim_fp_read_busy();
    memcpy((void*)(w->base + (busy - w->phys)), &value, sizeof(value));
  } else if (phys == status) {
    *(volatile uint8_t*)addr = fesim_fp_read_status();
  }
}

/* gregs slots of the x86 register numbers 0..15. */
static const int greg_slots[16] = {REG_RAX, REG_RCX, REG_RDX, REG_RBX, REG_RSP, REG_RBP,
                                   REG_RSI, REG_RDI, REG_R8,  REG_R9,  REG_R10, REG_R11,
                                   REG_R12, REG_R13, REG_R14, REG_R15};

/* Performs a load of a model register in place. Returns 1 when done, 0 when
 * the access must be single-stepped instead. */
static int emulate_load(ucontext_t* uc, uint64_t phys) {
  struct fesim_x86_load load;
  const uint8_t* pc = (const uint8_t*)uc->uc_mcontext.gregs[REG_RIP];
  size_t to_page_end = page_size - ((uintptr_t)pc & (page_size - 1));
  uint64_t value;
  if (fesim_x86_load_decode(pc, to_page_end < 15 ? to_page_end : 15, &load) != 0) {
    return 0;
  }
  if (phys == FESIM_FP_CTRL_PHYS + FESIM_FP_BUSY_REG && load.width == 4) {
    value = fesim_fp_read_busy();
  } else if (phys == FESIM_FP_TX_PHYS + FESIM_FP_STATUS_REG && load.width == 1) {
    value = fesim_fp_read_status();
  } else {
    return 0;
  }
  uc->uc_mcontext.gregs[greg_slots[load.reg]] = (greg_t)value;
  uc->uc_mcontext.gregs[REG_RIP] += load.length;
  return 1;
}

static void on_segv(int sig, siginfo_t* si, void* uctx) {
  int write;
  uint64_t phys;
  uintptr_t page;
  int saved = errno;
  ucontext_t* uc = uctx;
  uintptr_t addr = (uintptr_t)si->si_addr;
  struct window* w = window_at(addr);
  if (!w || step.active || si->si_code != SEGV_ACCERR) {
    chain(&old_segv, sig, si, uctx);
    errno = saved;
    return;
  }
  phys = w->phys + (addr - w->base);
  write = (uc->uc_mcontext.gregs[REG_ERR] & 2) != 0;
  if (!write && emulate_load(uc, phys)) {
    errno = saved;
    return;
  }
  page = addr & ~(uintptr_t)(page_size - 1);
  if (mprotect((void*)page, page_size, PROT_READ | PROT_WRITE) != 0) {
    chain(&old_segv, sig, si, uctx);
    errno = saved;
    return;
  }
  step.active = 1;
  step.write = write;
  step.addr = addr;
  step.page = page;
  step.phys = phys;
  if (!step.write) {
    prepare_read(addr, step.phys, w);
  }
  uc->uc_mcontext.gregs[REG_EFL] |= TRAP_FLAG;
  errno = saved;
}

static void on_trap(int sig, siginfo_t* si, void* uctx) {
  int saved = errno;
  ucontext_t* uc = uctx;
  if (!step.active) {
    chain(&old_trap, sig, si, uctx);
    errno = saved;
    return;
  }
  uc->uc_mcontext.gregs[REG_EFL] &= ~(greg_t)TRAP_FLAG;
  if (step.write) {
    fesim_fp_store(step.phys, *(volatile uint8_t*)step.addr);
  }
  mprotect((void*)step.page, page_size, PROT_NONE);
  step.active = 0;
  errno = saved;
}

static int install_handlers(void) {
  struct sigaction sa;
  if (handlers_installed) {
    return 0;
  }
  page_size = (size_t)sysconf(_SC_PAGESIZE);
  memset(&sa, 0, sizeof(sa));
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_SIGINFO;
  sa.sa_sigaction = on_segv;
  if (sigaction(SIGSEGV, &sa, &old_segv) != 0) {
    return -1;
  }
  sa.sa_sigaction = on_trap;
  if (sigaction(SIGTRAP, &sa, &old_trap) != 0) {
    return -1;
  }
  handlers_installed = 1;
  return 0;
}

void* fesim_fp_map(size_t len, uint64_t phys) {
  void* p;
  struct window* slot = NULL;
  for (size_t i = 0; !slot && i < MAX_WINDOWS; i++) {
    if (windows[i].len == 0) {
      slot = &windows[i];
    }
  }
  if (len == 0 ||
      (!overlaps(phys, len, FESIM_FP_CTRL_PHYS) && !overlaps(phys, len, FESIM_FP_TX_PHYS))) {
    fesim_log("mmap /dev/mem %08llx %zu EINVAL", (unsigned long long)phys, len);
    errno = EINVAL;
    return MAP_FAILED;
  }
  if (!slot || install_handlers() != 0) {
    errno = ENOMEM;
    return MAP_FAILED;
  }
  p = fesim_real_mmap(NULL, len, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) {
    return p;
  }
  slot->base = (uintptr_t)p;
  slot->len = len;
  slot->phys = phys;
  fesim_log("mmap /dev/mem %08llx %zu", (unsigned long long)phys, len);
  return p;
}

#else /* no trap mechanism */

void* fesim_fp_map(size_t len, uint64_t phys) {
  fesim_log("mmap /dev/mem %08llx %zu ENODEV", (unsigned long long)phys, len);
  errno = ENODEV;
  return MAP_FAILED;
}

#endif

int fesim_fp_unmap(void* addr, size_t len) {
  struct window* w = window_at((uintptr_t)addr);
  if (!w || (uintptr_t)addr != w->base) {
    return 1;
  }
  fesim_log("munmap /dev/mem %08llx %zu", (unsigned long long)w->phys, len);
  w->len = 0;
  return fesim_real_munmap(addr, len);
}
