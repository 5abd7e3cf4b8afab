/* SIGINT and SIGTERM while the tuner's I2C gate may be open: the handler closes
 * the gate (register 0x07 bit 1) before the process ends, so an interrupted
 * scan never leaves the tuner hanging on the demodulator's bus. Outside that
 * window the signals keep their default action. */
#ifndef FEPROBE_INTERRUPT_H
#define FEPROBE_INTERRUPT_H

#include "frontend.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Installs the handlers for SIGINT and SIGTERM, watching the gate of fe's
 * demodulator. A signal inside the window writes one line to standard error
 * ("interrupted by SIGINT: tuner gate closed") and ends the process with
 * 128 + the signal number (130, 143). A signal the process inherited as
 * ignored is left ignored. Returns 0 or -errno of sigaction. */
int interrupt_guard_gate(const frontend_state* fe);

/* Mark the window: from before the gate is opened until it is known closed. */
void interrupt_gate_opening(void);
void interrupt_gate_closed(void);

#ifdef __cplusplus
}
#endif

#endif
