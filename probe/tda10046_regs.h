/* The TDA10046's registers and bits that feprobe uses, in one map: the driver,
 * the acquisition loop, the gated tuner transfers and the signal handler all
 * name them from here. */
#ifndef FEPROBE_TDA10046_REGS_H
#define FEPROBE_TDA10046_REGS_H

#define REG_ID 0x00            /* identification: 0x45 or 0x46 */
#define REG_ACQ 0x01           /* acquisition control; 0x02-0x03 follow it */
#define ACQ_RESTART 0x40       /* restarts acquisition */
#define ACQ_SEARCH 0x97        /* control while a channel is searched */
#define ACQ_PROGRAMMED 0xA0    /* control once a channel's parameters are set */
#define REG_RX_TPS 0x04        /* received parameters, 0x04-0x05 */
#define RX_TPS_MODULATION 0x03 /* bits 1..0 of 0x04 */
#define REG_STATUS 0x06
#define STATUS_LOCKED 0x08
#define REG_CONF 0x07       /* configuration: sleep and the tuner's I2C gate */
#define CONF_SLEEP 0x01     /* 1: asleep */
#define CONF_GATE_OPEN 0x02 /* 1: the tuner is on the bus */
#define CONF_INIT_CLEAR 0x20
#define REG_COUNTER 0x10 /* acquisition counter */
#define REG_INVERSION 0x16
#define INVERSION_OFF 0x20 /* 1: spectral inversion off */
#define REG_BANDWIDTH 0x31 /* five timing bytes, 0x31-0x35 */
#define REG_CLOCK 0x3E     /* byte of the sample clock */
#define REG_IF_WORD 0x4D   /* signed 16-bit IF word, 0x4D-0x4E, high byte first */

#endif
