#!/usr/bin/env python3
"""Writes one firmware solution three ways: as a kestrel solution, as a Makefile and as a
build.ninja, each in a tree of its own with identical sources.

    gen_firmware.py --kestrel BIN --files N [--projects P] [--shape shared|random]
                    [--body small|realistic] OUT

The Makefile and build.ninja run exactly the compiler, assembler, archiver and linker command
lines that `kestrel -show -rebuild` prints for the solution, in the same working directory,
and read the same compiler dependency (.d) files, so that the three trees differ only in the
tool that decides what to run. The temporary assembly file kestrel names at random is given a
fixed name beside the object instead.

Two shapes of sources:
    shared   N/20 headers, every source includes four of them (the default)
    random   300 headers, every source includes 30 of them chosen at random (a fixed seed, so
             every run writes the same trees); the include directory is given as an absolute
             path, so the compiler writes absolute paths into the .d files

Two kinds of source body:
    small      11 lines: one function over the included headers' inline functions (the default)
    realistic  a driver of about 290 lines that also includes <stdint.h>, <string.h> and
               inc/tessary_device.h, a generated device header of about 5,500 lines

Layout of each tree (all projects share the solution's directory, so that every relative path
in a command or a .d file means the same from the tree's root):
    inc/h<k>.h       shared headers
    inc/touch.h      included by every tenth source (the "touch one header" figure)
    inc/tessary_device.h  the device header (realistic sources only)
    src/p<k>/f<i>.c  the sources of project p<k>; p0 is the executable, the others libraries
    p<k>/Debug/      objects, dependency files, archives, the executable
"""
import argparse
import os
import random
import re
import shlex
import shutil
import subprocess
import sys

HEADER_COUNT_DIVISOR = 20
HEADERS_PER_SOURCE = 4
TOUCH_EVERY = 10
RANDOM_HEADERS = 300
RANDOM_HEADERS_PER_SOURCE = 30
RANDOM_SEED = 21


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def header_text(k):
    lines = [f"#ifndef H{k}_H", f"#define H{k}_H", f"#define H{k}_SCALE {k + 1}"]
    lines += [f"int h{k}_f{j}(int x);" for j in range(8)]
    lines += [f"static inline int h{k}_inline(int x) {{ return x * H{k}_SCALE + {k}; }}",
              "#endif", ""]
    return "\n".join(lines)


def source_text(project, index, picks, includes_touch):
    lines = [f'#include "h{k}.h"' for k in picks]
    if includes_touch:
        lines.append('#include "touch.h"')
    body = " + ".join(f"h{k}_inline(x + {j})" for j, k in enumerate(picks))
    lines += [f"int p{project}_f{index}(int x)", "{", f"    int s = {body};",
              f"    for (int i = 0; i < {index % 7 + 1}; ++i)", "        s = s * 3 + i;",
              "    return s;", "}", ""]
    return "\n".join(lines)


# Realistic sources: one device header of a few thousand lines (register blocks, bit-field
# macros, inline accessors) that every source includes beside its shared headers, and sources
# of a few hundred lines of driver code each. Everything is derived from the file's index, so
# every run and every tree gets the same text.

DEVICE_HEADER = "tessary_device.h"

# Kind of peripheral, number of instances, base address of the first, its own registers.
PERIPHERALS = [
    ("UART", 6, 0x40004000, ["DATA", "BAUD", "FRAME", "FIFOCTRL", "FIFOSTAT", "DMACTRL",
                             "TIMEOUT", "IDLE", "LINE", "MODEM", "AUTOBAUD", "GUARD"]),
    ("SPI", 4, 0x40010000, ["DATA", "CLKDIV", "FRAME", "FIFOCTRL", "FIFOSTAT", "DMACTRL",
                            "CSCTRL", "DELAY", "RXCRC", "TXCRC", "MODE", "SAMPLE"]),
    ("I2C", 4, 0x40020000, ["DATA", "ADDR", "OWNADDR", "TIMING", "TIMEOUT", "CMD", "COUNT",
                            "FIFOCTRL", "FIFOSTAT", "FILTER", "SMBUS", "PEC"]),
    ("TIMER", 8, 0x40030000, ["COUNT", "PRESCALE", "RELOAD", "CMP0", "CMP1", "CMP2", "CMP3",
                              "CAPCTRL", "CAP0", "CAP1", "DEADTIME", "TRIGGER", "SYNC"]),
    ("GPIO", 8, 0x40040000, ["DIR", "OUT", "IN", "SET", "CLR", "TOGGLE", "PULL", "DRIVE",
                             "SLEW", "ALTSEL0", "ALTSEL1", "EDGE", "LEVEL", "DEBOUNCE"]),
    ("ADC", 3, 0x40050000, ["SEQ0", "SEQ1", "SEQ2", "SAMPLE", "RESULT", "FIFOSTAT", "TRIGGER",
                            "CALIB", "OFFSET", "GAIN", "WINDOW", "AVERAGE"]),
    ("DAC", 2, 0x40058000, ["DATA", "HOLD", "TRIGGER", "WAVE", "AMPLITUDE", "CALIB", "DMACTRL",
                            "REFSEL", "SETTLE", "NOISE"]),
    ("DMA", 2, 0x40060000, ["CHENABLE", "CHPRIO", "SRCADDR", "DSTADDR", "COUNT", "CHCFG",
                            "CHSTAT", "LINK", "BURST", "ERRADDR", "SWREQ", "MUX"]),
    ("CAN", 2, 0x40070000, ["BITTIME", "TXID", "TXDATA0", "TXDATA1", "RXID", "RXDATA0",
                            "RXDATA1", "FILTER0", "FILTER1", "ERRCNT", "TXREQ", "RXFIFO"]),
    ("RTC", 1, 0x40080000, ["SECONDS", "SUBSEC", "ALARM", "PRESCALE", "CALIB", "TAMPER",
                            "BACKUP0", "BACKUP1", "WAKEUP", "DATE"]),
    ("WDT", 1, 0x40081000, ["LOAD", "VALUE", "WINDOW", "KEY", "PRESCALE", "LOCK", "EARLY",
                            "RESETCAUSE"]),
    ("PWM", 4, 0x40090000, ["PERIOD", "DUTY0", "DUTY1", "DUTY2", "DUTY3", "DEADBAND", "FAULT",
                            "PRESCALE", "SYNC", "POLARITY", "OUTSEL", "TRIGGER"]),
    ("CRC", 1, 0x400A0000, ["POLY", "INIT", "DATA", "RESULT", "XOROUT", "REFLECT", "WIDTH",
                            "SEED"]),
    ("FLASHCTL", 1, 0x400B0000, ["KEY", "ADDR", "DATA0", "DATA1", "CMD", "WAITSTATE", "PROTECT",
                                 "ECC", "ERRADDR", "CACHE"]),
    ("CLOCK", 1, 0x400C0000, ["OSCCTRL", "PLLCFG", "PLLSTAT", "DIVSYS", "DIVPER", "GATE0",
                              "GATE1", "RESET0", "RESET1", "LPCTRL", "SOURCE", "TRIM"]),
    ("USBDEV", 1, 0x400D0000, ["DEVADDR", "FRAME", "EPCTRL0", "EPCTRL1", "EPCTRL2", "EPCTRL3",
                               "EPSTAT", "BUFADDR", "BUFLEN", "SETUP0", "SETUP1", "PHY"]),
]

# Registers every block has first, with fixed fields the driver code relies on.
COMMON_REGISTERS = [
    ("CTRL", [("EN", 0, 1), ("RST", 1, 1), ("MODE", 2, 2), ("LPEN", 4, 1), ("DBGSTOP", 5, 1),
              ("CLKSEL", 8, 3), ("PRIO", 12, 2)]),
    ("STATUS", [("BUSY", 0, 1), ("READY", 1, 1), ("ERR", 2, 1), ("LEVEL", 8, 5),
                ("STATE", 16, 3)]),
    ("INTEN", None), ("INTFLAG", None), ("INTCLR", None),
]
INTERRUPT_FIELDS = [("DONE", 0, 1), ("ERR", 1, 1), ("OVR", 2, 1), ("TIMEOUT", 3, 1),
                    ("RX", 4, 1), ("TX", 5, 1), ("WAKE", 6, 1), ("FAULT", 7, 1)]
FIELD_NAMES = ["EN", "SEL", "DIV", "CNT", "LEN", "THR", "POL", "PHA", "SRC", "DIR", "TRIG",
               "LOCK", "START", "STOP", "FLUSH", "WIDTH", "SHIFT", "INV", "HOLD", "GAIN"]
FIELD_WIDTHS = [1, 4, 2, 8, 1, 3, 6, 1, 5]


def register_fields(kind_index, reg_index):
    """The fields of one of a block's own registers: packed from bit 0 with a gap after each,
    names and widths taken in turn from fixed lists."""
    fields = []
    pos = 0
    seed = kind_index * 7 + reg_index * 3
    for j in range(8):
        width = FIELD_WIDTHS[(seed + j) % len(FIELD_WIDTHS)]
        if pos + width > 32:
            break
        fields.append((FIELD_NAMES[(seed + j * 3) % len(FIELD_NAMES)] + str(j), pos, width))
        pos += width + (seed + j) % 3
    return fields


def device_model():
    """[(kind, instances, base, [(register, [(field, pos, width)])])]"""
    model = []
    for k, (kind, instances, base, own) in enumerate(PERIPHERALS):
        regs = [(name, fields if fields is not None else INTERRUPT_FIELDS)
                for name, fields in COMMON_REGISTERS]
        regs += [(name, register_fields(k, r)) for r, name in enumerate(own)]
        model.append((kind, instances, base, regs))
    return model


def mask_text(width):
    return f"0x{(1 << width) - 1:X}u"


def device_header_text(model):
    out = ["#ifndef TESSARY_DEVICE_H", "#define TESSARY_DEVICE_H", "",
           "#include <stdint.h>", "",
           "#define TESSARY_FIELD_PREP(field, v) (((uint32_t)(v) << field##_Pos) & field##_Msk)",
           "#define TESSARY_FIELD_GET(field, r) (((uint32_t)(r) & field##_Msk) >> field##_Pos)",
           "#define TESSARY_CORE_CLOCK_HZ 96000000u", ""]
    irq = 16
    out.append("typedef enum {")
    for kind, instances, _, _ in model:
        for n in range(instances):
            out.append(f"    TESSARY_{kind}{n}_IRQn = {irq},")
            irq += 1
    out += ["    TESSARY_IRQ_COUNT", "} TESSARY_IRQn_Type;", ""]
    for kind, instances, base, regs in model:
        lower = kind.lower()
        out.append(f"/* {kind}: register block */")
        out.append("typedef struct {")
        for r, (name, _) in enumerate(regs):
            out.append(f"    volatile uint32_t {name};")
            if r == 4:
                out.append("    uint32_t RESERVED0[3];")
        out += ["    uint32_t RESERVED1[8];", f"}} TESSARY_{kind}_Type;", ""]
        for name, fields in regs:
            out.append(f"/* {kind} {name} */")
            for field, pos, width in fields:
                macro = f"TESSARY_{kind}_{name}_{field}"
                out.append(f"#define {macro}_Pos {pos}u")
                out.append(f"#define {macro}_Msk ({mask_text(width)} << {macro}_Pos)")
            out.append("")
        for n in range(instances):
            address = base + n * 0x400
            out.append(f"#define TESSARY_{kind}{n}_BASE 0x{address:08X}u")
            out.append(f"#define TESSARY_{kind}{n} ((TESSARY_{kind}_Type *)TESSARY_{kind}{n}_BASE)")
        out.append("")
        t = f"TESSARY_{kind}_Type"
        p = f"TESSARY_{kind}_CTRL"
        s = f"TESSARY_{kind}_STATUS"
        out += [
            f"static inline void tessary_{lower}_enable({t} *p)",
            f"{{\n    p->CTRL |= {p}_EN_Msk;\n}}",
            f"static inline void tessary_{lower}_disable({t} *p)",
            f"{{\n    p->CTRL &= ~{p}_EN_Msk;\n}}",
            f"static inline void tessary_{lower}_set_mode({t} *p, uint32_t mode)",
            f"{{\n    p->CTRL = (p->CTRL & ~{p}_MODE_Msk) | TESSARY_FIELD_PREP({p}_MODE, mode);\n}}",
            f"static inline int tessary_{lower}_busy(const {t} *p)",
            f"{{\n    return (p->STATUS & {s}_BUSY_Msk) != 0u;\n}}",
            f"static inline int tessary_{lower}_ready(const {t} *p)",
            f"{{\n    return (p->STATUS & {s}_READY_Msk) != 0u;\n}}",
            f"static inline uint32_t tessary_{lower}_level(const {t} *p)",
            f"{{\n    return TESSARY_FIELD_GET({s}_LEVEL, p->STATUS);\n}}",
            f"static inline uint32_t tessary_{lower}_flags(const {t} *p)",
            f"{{\n    return p->INTFLAG & p->INTEN;\n}}",
            f"static inline void tessary_{lower}_clear({t} *p, uint32_t mask)",
            f"{{\n    p->INTCLR = mask;\n}}",
            f"static inline void tessary_{lower}_irq_enable({t} *p, uint32_t mask)",
            f"{{\n    p->INTEN |= mask;\n}}",
            f"static inline void tessary_{lower}_irq_disable({t} *p, uint32_t mask)",
            f"{{\n    p->INTEN &= ~mask;\n}}",
            "",
        ]
    out += ["#endif", ""]
    return "\n".join(out)


def realistic_source_text(project, index, picks, includes_touch, model):
    kind, instances, _, regs = model[index % len(model)]
    lower = kind.lower()
    t = f"TESSARY_{kind}_Type"
    dev = f"TESSARY_{kind}{(index // len(model)) % instances}"
    flag = f"TESSARY_{kind}_INTFLAG"
    name = f"p{project}_f{index}"
    own = regs[len(COMMON_REGISTERS):]
    # The registers this file configures: six of the block's own, starting at a place that
    # moves with the index.
    chosen = [own[(index + j) % len(own)] for j in range(6)]
    buf = 32 << (index % 3)
    out = ["#include <stdint.h>", "#include <string.h>", f'#include "{DEVICE_HEADER}"']
    out += [f'#include "h{k}.h"' for k in picks]
    if includes_touch:
        out.append('#include "touch.h"')
    out += [
        "",
        f"#define DRV_BUF_SIZE {buf}u",
        f"#define DRV_TIMEOUT {1000 + 37 * index}u",
        f"#define DRV_RETRIES {index % 4 + 2}",
        f"#define DRV_DEV {dev}",
        "",
        "typedef enum {",
        "    DRV_IDLE,", "    DRV_STARTING,", "    DRV_RUNNING,", "    DRV_DRAINING,",
        "    DRV_STOPPING,", "    DRV_FAULT", "} drv_state_t;",
        "",
        "typedef struct {",
        "    uint8_t data[DRV_BUF_SIZE];", "    uint32_t head;", "    uint32_t tail;",
        "    uint32_t count;", "} drv_ring_t;",
        "",
        "typedef struct {",
        "    uint32_t ctrl_mode;",
    ]
    out += [f"    uint32_t {reg.lower()};" for reg, _ in chosen]
    out += ["} drv_setting_t;", "",
            "typedef struct {",
            "    uint32_t rx;", "    uint32_t tx;", "    uint32_t errors;", "    uint32_t overruns;",
            "    uint32_t timeouts;", "    uint32_t retries;", "} drv_stats_t;", "",
            "static const drv_setting_t drv_settings[] = {"]
    for e in range(8):
        values = [str((index + e) % 4)]
        for j, (_, fields) in enumerate(chosen):
            _, _, width = fields[j % len(fields)]
            values.append(f"{(index * 13 + e * 7 + j) % (1 << width)}u")
        out.append("    { " + ", ".join(values) + " },")
    out += ["};", "",
            "static drv_ring_t drv_rx;", "static drv_ring_t drv_tx;",
            "static drv_stats_t drv_stats;", "static drv_state_t drv_state = DRV_IDLE;", "",
            f"static int drv_wait({t} *p, uint32_t timeout)",
            "{",
            "    while (timeout-- > 0u) {",
            f"        if (!tessary_{lower}_busy(p))",
            "            return 0;",
            "    }",
            "    drv_stats.timeouts++;",
            "    return -1;",
            "}", "",
            f"static void drv_reset({t} *p)",
            "{",
            f"    tessary_{lower}_disable(p);",
            f"    p->CTRL |= TESSARY_{kind}_CTRL_RST_Msk;",
            "    (void)drv_wait(p, DRV_TIMEOUT);",
            f"    p->CTRL &= ~TESSARY_{kind}_CTRL_RST_Msk;",
            "    p->INTCLR = 0xFFFFFFFFu;",
            "    p->INTEN = 0u;",
            "    memset(&drv_rx, 0, sizeof drv_rx);",
            "    memset(&drv_tx, 0, sizeof drv_tx);",
            "    memset(&drv_stats, 0, sizeof drv_stats);",
            "}", "",
            f"static void drv_configure({t} *p, const drv_setting_t *s)",
            "{",
            "    uint32_t r;", "",
            f"    tessary_{lower}_set_mode(p, s->ctrl_mode);"]
    for j, (reg, fields) in enumerate(chosen):
        field, _, _ = fields[j % len(fields)]
        macro = f"TESSARY_{kind}_{reg}_{field}"
        out += [f"    r = p->{reg};", f"    r &= ~{macro}_Msk;",
                f"    r |= TESSARY_FIELD_PREP({macro}, s->{reg.lower()});",
                f"    p->{reg} = r;"]
    out += ["}", "",
            "static int drv_ring_put(drv_ring_t *ring, uint8_t byte)",
            "{",
            "    if (ring->count == DRV_BUF_SIZE)",
            "        return -1;",
            "    ring->data[ring->head] = byte;",
            "    ring->head = (ring->head + 1u) % DRV_BUF_SIZE;",
            "    ring->count++;",
            "    return 0;",
            "}", "",
            "static int drv_ring_get(drv_ring_t *ring, uint8_t *byte)",
            "{",
            "    if (ring->count == 0u)",
            "        return -1;",
            "    *byte = ring->data[ring->tail];",
            "    ring->tail = (ring->tail + 1u) % DRV_BUF_SIZE;",
            "    ring->count--;",
            "    return 0;",
            "}", "",
            "static uint32_t drv_ring_read(drv_ring_t *ring, uint8_t *out, uint32_t len)",
            "{",
            "    uint32_t done = 0u;", "",
            "    while (done < len && ring->count > 0u) {",
            "        uint32_t chunk = DRV_BUF_SIZE - ring->tail;",
            "        if (chunk > ring->count)",
            "            chunk = ring->count;",
            "        if (chunk > len - done)",
            "            chunk = len - done;",
            "        memcpy(out + done, &ring->data[ring->tail], chunk);",
            "        ring->tail = (ring->tail + chunk) % DRV_BUF_SIZE;",
            "        ring->count -= chunk;",
            "        done += chunk;",
            "    }",
            "    return done;",
            "}", "",
            "static uint32_t drv_checksum(const uint8_t *data, uint32_t len)",
            "{",
            f"    uint32_t crc = 0x{(0xFFFF0000 + index * 2654435761) & 0xFFFFFFFF:08X}u;", "",
            "    for (uint32_t i = 0u; i < len; ++i) {",
            "        crc ^= data[i];",
            "        for (int bit = 0; bit < 8; ++bit) {",
            "            if (crc & 1u)",
            "                crc = (crc >> 1) ^ 0xEDB88320u;",
            "            else",
            "                crc >>= 1;",
            "        }",
            "    }",
            "    return ~crc;",
            "}", "",
            "static int drv_write(const uint8_t *data, uint32_t len)",
            "{",
            "    for (uint32_t i = 0u; i < len; ++i) {",
            "        int tries = 0;",
            "        while (drv_ring_put(&drv_tx, data[i]) != 0) {",
            "            if (++tries > DRV_RETRIES)",
            "                return (int)i;",
            "            drv_stats.retries++;",
            f"            tessary_{lower}_irq_enable(DRV_DEV, {flag}_TX_Msk);",
            "            if (drv_wait(DRV_DEV, DRV_TIMEOUT) != 0)",
            "                return -1;",
            "        }",
            "    }",
            f"    tessary_{lower}_irq_enable(DRV_DEV, {flag}_TX_Msk);",
            "    return (int)len;",
            "}", "",
            f"void {name}_irq_handler(void)",
            "{",
            f"    uint32_t flags = tessary_{lower}_flags(DRV_DEV);",
            "    uint8_t byte;", "",
            f"    if (flags & {flag}_RX_Msk) {{",
            f"        while (tessary_{lower}_level(DRV_DEV) > 0u) {{",
            f"            byte = (uint8_t)DRV_DEV->{own[0][0]};",
            "            if (drv_ring_put(&drv_rx, byte) != 0) {",
            "                drv_stats.overruns++;",
            "                break;",
            "            }",
            "            drv_stats.rx++;",
            "        }",
            "    }",
            f"    if (flags & {flag}_TX_Msk) {{",
            "        if (drv_ring_get(&drv_tx, &byte) == 0) {",
            f"            DRV_DEV->{own[0][0]} = byte;",
            "            drv_stats.tx++;",
            "        } else {",
            f"            tessary_{lower}_irq_disable(DRV_DEV, {flag}_TX_Msk);",
            "        }",
            "    }",
            f"    if (flags & ({flag}_ERR_Msk | {flag}_FAULT_Msk)) {{",
            "        drv_stats.errors++;",
            "        drv_state = DRV_FAULT;",
            "    }",
            f"    if (flags & {flag}_OVR_Msk)",
            "        drv_stats.overruns++;",
            f"    if (flags & {flag}_TIMEOUT_Msk)",
            "        drv_stats.timeouts++;",
            f"    tessary_{lower}_clear(DRV_DEV, flags);",
            "}", "",
            "static drv_state_t drv_step(drv_state_t state, uint32_t event)",
            "{",
            "    switch (state) {",
            "    case DRV_IDLE:",
            "        if (event & 1u) {",
            "            drv_reset(DRV_DEV);",
            "            return DRV_STARTING;",
            "        }",
            "        return DRV_IDLE;",
            "    case DRV_STARTING:",
            "        drv_configure(DRV_DEV, &drv_settings[event % "
            "(sizeof drv_settings / sizeof drv_settings[0])]);",
            f"        tessary_{lower}_irq_enable(DRV_DEV, {flag}_RX_Msk | {flag}_ERR_Msk);",
            f"        tessary_{lower}_enable(DRV_DEV);",
            "        return DRV_RUNNING;",
            "    case DRV_RUNNING:",
            "        if (event & 2u)",
            "            return DRV_DRAINING;",
            f"        if (!tessary_{lower}_ready(DRV_DEV))",
            "            return DRV_FAULT;",
            "        return DRV_RUNNING;",
            "    case DRV_DRAINING:",
            "        if (drv_tx.count == 0u)",
            "            return DRV_STOPPING;",
            "        return DRV_DRAINING;",
            "    case DRV_STOPPING:",
            f"        tessary_{lower}_irq_disable(DRV_DEV, 0xFFFFFFFFu);",
            f"        tessary_{lower}_disable(DRV_DEV);",
            "        return DRV_IDLE;",
            "    case DRV_FAULT:",
            "    default:",
            "        drv_reset(DRV_DEV);",
            "        return (event & 4u) ? DRV_STARTING : DRV_IDLE;",
            "    }",
            "}", "",
            "static int drv_selftest(int seed)",
            "{",
            "    uint8_t pattern[DRV_BUF_SIZE];",
            "    uint8_t back[DRV_BUF_SIZE];",
            "    uint32_t got;", "",
            "    for (uint32_t i = 0u; i < DRV_BUF_SIZE; ++i)",
            f"        pattern[i] = (uint8_t)(seed * {index % 11 + 3} + (int)i);",
            "    memset(back, 0, sizeof back);",
            "    memset(&drv_rx, 0, sizeof drv_rx);",
            "    for (uint32_t i = 0u; i < DRV_BUF_SIZE; ++i)",
            "        (void)drv_ring_put(&drv_rx, pattern[i]);",
            "    got = drv_ring_read(&drv_rx, back, sizeof back);",
            "    if (got != DRV_BUF_SIZE || memcmp(pattern, back, sizeof back) != 0)",
            "        return -1;",
            "    return (int)(drv_checksum(back, got) & 0x7FFFu);",
            "}", ""]
    body = " + ".join(f"h{k}_inline(x + {j})" for j, k in enumerate(picks))
    out += [f"int {name}(int x)", "{",
            f"    int s = {body};",
            "    uint8_t frame[4];", "",
            f"    for (int i = 0; i < {index % 7 + 1}; ++i)",
            "        s = s * 3 + i;",
            "    for (uint32_t e = 0u; e < 4u; ++e)",
            "        drv_state = drv_step(drv_state, (uint32_t)s + e);",
            "    memcpy(frame, &s, sizeof frame);",
            "    if (drv_write(frame, sizeof frame) < 0)",
            "        s ^= 1;",
            "    return s + drv_selftest(x);",
            "}", ""]
    return "\n".join(out)


def main_text(libraries):
    # The first source of project k is f<k>.
    calls = "".join(f"    s += p{k}_f{k}(s);\n" for k in libraries)
    decls = "".join(f"int p{k}_f{k}(int x);\n" for k in libraries)
    return (decls + "int p0_f0(int x);\nint main(void)\n{\n    int s = p0_f0(1);\n" + calls
            + "    return s & 1;\n}\n")


def solution_text(projects, sources, include_dir):
    out = ['<!DOCTYPE Quillmark_Project_File>', '<solution Name="bench" version="2">']
    for k in range(projects - 1, -1, -1):
        if k == 0:
            deps = ";".join(f"p{j}" for j in range(1, projects))
            out.append('  <project Name="p0">')
            out.append('    <configuration Name="Common" project_type="Executable" '
                       f'project_dependencies="{deps}" '
                       'linker_memory_map_file="memory_map.xml" '
                       'link_IOLibraryName="debug"/>')
            out.append('    <file file_name="$(StudioDir)/targets/lm3s6965evb/startup.s"/>')
        else:
            out.append(f'  <project Name="p{k}">')
            out.append('    <configuration Name="Common" project_type="Library"/>')
        out.append('    <folder Name="Source Files">')
        for path in sources[k]:
            out.append(f'      <file file_name="{path}"/>')
        out.append('    </folder>')
        out.append('  </project>')
    out.append('  <configuration Name="Common" arm_architecture="v7M" arm_core_type="Cortex-M3" '
               'arm_instruction_set="Thumb" arm_fp_abi="None" '
               f'c_user_include_directories="{include_dir}" '
               'build_intermediate_directory="$(ProjectName)/$(Configuration)" '
               'build_output_directory="$(ProjectName)/$(Configuration)"/>')
    out.append('  <configuration Name="Debug" build_debug_information="Yes" '
               'gcc_optimization_level="None" c_preprocessor_definitions="DEBUG"/>')
    out.append('</solution>')
    return "\n".join(out) + "\n"


# The board's memory with room for the code of every size generated.
MEMORY_MAP = """<!DOCTYPE Board_Memory_Definition_File>
<Root name="Benchmark board">
  <MemorySegment name="FLASH" start="0x00000000" size="0x01000000" access="ReadOnly"/>
  <MemorySegment name="SRAM" start="0x20000000" size="0x00100000" access="Read/Write"/>
</Root>
"""


def write_sources(tree, files, projects, shape, body="small"):
    if shape == "random":
        headers = RANDOM_HEADERS
        rng = random.Random(RANDOM_SEED)
        picks = [rng.sample(range(headers), RANDOM_HEADERS_PER_SOURCE) for _ in range(files)]
        include_dir = "$(SolutionDir)/inc"
    else:
        headers = max(20, files // HEADER_COUNT_DIVISOR)
        picks = [[(i * 7 + j * 13) % headers for j in range(HEADERS_PER_SOURCE)]
                 for i in range(files)]
        include_dir = "inc"
    for k in range(headers):
        write(f"{tree}/inc/h{k}.h", header_text(k))
    write(f"{tree}/inc/touch.h", "#define TOUCHED 1\n")
    if body == "realistic":
        model = device_model()
        write(f"{tree}/inc/{DEVICE_HEADER}", device_header_text(model))
    write(f"{tree}/memory_map.xml", MEMORY_MAP)
    sources = {k: [] for k in range(projects)}
    for i in range(files):
        k = i % projects
        path = f"src/p{k}/f{i}.c"
        sources[k].append(path)
        if body == "realistic":
            text = realistic_source_text(k, i, picks[i], i % TOUCH_EVERY == 0, model)
        else:
            text = source_text(k, i, picks[i], i % TOUCH_EVERY == 0)
        write(f"{tree}/{path}", text)
    write(f"{tree}/src/p0/main.c", main_text(range(1, projects)))
    sources[0].append("src/p0/main.c")
    write(f"{tree}/bench.zav", solution_text(projects, sources, include_dir))


class Step:
    """One build step as kestrel shows it: its group line and its command lines."""

    def __init__(self, kind, name):
        self.kind = kind
        self.name = name
        self.commands = []


def shown_steps(kestrel, tree, env_args):
    text = subprocess.run([kestrel, "-config", "Debug", "-show", "-rebuild", *env_args,
                           "bench.zav"], cwd=tree, check=True, capture_output=True,
                          text=True).stdout
    steps = []
    for raw in text.splitlines():
        line = raw.strip()
        group = re.match(r"(Compiling|Assembling|Archiving|Linking) (.*)$", line)
        if group:
            steps.append(Step(group.group(1), group.group(2)))
        elif steps and (line.startswith("/") or line.startswith("rm ")):
            steps[-1].commands.append(shlex.split(line))
    return steps


def output_of(step, tree=None):
    """The file a step writes, relative to the tree; an archive by its absolute path in `tree`,
    since that is how the link names it."""
    for words in reversed(step.commands):
        if words[0].endswith("/as") or words[0].endswith("/ld"):
            return words[words.index("-o") + 1]
        if words[0].endswith("/ar"):
            return f"{tree}/{words[2]}" if tree else words[2]
    raise ValueError(f"no output in step {step.name}")


def fixed_temporaries(step, out):
    """Replaces the random temporary name of a compile step by one beside the object."""
    first = step.commands[0]
    if "-o" not in first:
        return step.commands
    temporary = first[first.index("-o") + 1]
    fixed = os.path.join(os.path.dirname(temporary), os.path.basename(out) + ".s")
    return [[fixed if w == temporary else w for w in words] for words in step.commands]


def shell_line(commands):
    parts = []
    for words in commands:
        if words[0] == "rm":
            words = ["rm", "-f"] + words[1:]
        parts.append(" ".join(shlex.quote(w) for w in words))
    return " && ".join(parts)


def rewrite(text, old, new):
    return text.replace(old, new)


def compile_input(step):
    words = step.commands[0]
    return words[words.index("-o") - 1]


def makefile_text(steps, tree, root):
    rules = []
    objects = []
    deps = []
    for step in steps:
        out = output_of(step, tree)
        commands = fixed_temporaries(step, out) if step.kind in ("Compiling", "Assembling") \
            else step.commands
        recipe = rewrite(shell_line(commands), root, tree)
        if step.kind in ("Compiling", "Assembling"):
            source = rewrite(compile_input(step), root, tree)
            rules.append(f"{out}: {source}\n\t@mkdir -p {os.path.dirname(out)}\n\t{recipe}\n")
            deps.append(out[:-2] + ".d")
            objects.append(out)
            continue
        if step.kind == "Archiving":
            inputs = step.commands[-1][3:]
        else:
            link = step.commands[-1]
            start = link.index("--start-group") + 1
            inputs = [w for w in link[start:] if not w.startswith(root + "/lib")
                      and w != "--end-group"]
            inputs = [rewrite(w, root, tree) for w in inputs]
            script = link[link.index("-T") + 1]
            inputs.append(rewrite(script, root, tree))
        rules.append(f"{out}: {' '.join(inputs)}\n\t{recipe}\n")
        objects.append(out)
    final = output_of(steps[-1])
    head = f"all: {final}\n.PHONY: all\n\n"
    tail = "\n" + "".join(f"-include {d}\n" for d in deps)
    return head + "\n".join(rules) + tail


def ninja_text(steps, tree, root):
    out_lines = ["rule cc", "  command = $cmd", "  depfile = $dep", "  deps = gcc",
                 "rule step", "  command = $cmd", ""]
    for step in steps:
        out = output_of(step, tree)
        commands = fixed_temporaries(step, out) if step.kind in ("Compiling", "Assembling") \
            else step.commands
        recipe = rewrite(shell_line(commands), root, tree).replace("$", "$$")
        if step.kind in ("Compiling", "Assembling"):
            source = rewrite(compile_input(step), root, tree)
            out_lines += [f"build {out}: cc {source}", f"  cmd = {recipe}",
                          f"  dep = {out[:-2]}.d"]
            continue
        if step.kind == "Archiving":
            inputs = step.commands[-1][3:]
        else:
            link = step.commands[-1]
            start = link.index("--start-group") + 1
            inputs = [rewrite(w, root, tree) for w in link[start:]
                      if not w.startswith(root + "/lib") and w != "--end-group"]
            inputs.append(rewrite(link[link.index("-T") + 1], root, tree))
        out_lines += [f"build {out}: step {' '.join(inputs)}", f"  cmd = {recipe}"]
    out_lines.append(f"default {output_of(steps[-1])}")
    return "\n".join(out_lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kestrel", required=True, help="path of bin/kestrel")
    parser.add_argument("--files", type=int, default=100)
    parser.add_argument("--projects", type=int, default=1)
    parser.add_argument("--shape", choices=("shared", "random"), default="shared")
    parser.add_argument("--body", choices=("small", "realistic"), default="small",
                        help="small: 11-line sources; realistic: driver sources of a few "
                             "hundred lines that include a generated device header")
    parser.add_argument("out")
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    kestrel = os.path.abspath(args.kestrel)
    trees = {name: f"{out}/{name}" for name in ("kestrel", "make", "ninja")}
    shutil.rmtree(out, ignore_errors=True)
    # The user data and packages directories are the benchmark's own, so that no command line
    # holds a blank (the default per-user directory has one) and no run touches the home.
    env_args = ["-rootuserdir", f"{out}/user", "-packagesdir", f"{out}/packages"]
    write(f"{out}/env_args", " ".join(env_args) + "\n")
    for tree in trees.values():
        write_sources(tree, args.files, args.projects, args.shape, args.body)
    steps = shown_steps(kestrel, trees["kestrel"], env_args)
    # -show has generated the executable's linker script; the other trees link with a copy.
    for name in ("make", "ninja"):
        for path in (f"p0/Debug/p0.ld",):
            os.makedirs(os.path.dirname(f"{trees[name]}/{path}"), exist_ok=True)
            shutil.copy(f"{trees['kestrel']}/{path}", f"{trees[name]}/{path}")
    write(f"{trees['make']}/Makefile", makefile_text(steps, trees["make"], trees["kestrel"]))
    write(f"{trees['ninja']}/build.ninja", ninja_text(steps, trees["ninja"], trees["kestrel"]))
    compiles = sum(1 for s in steps if s.kind in ("Compiling", "Assembling"))
    print(f"{out}: {args.files} C files in {args.projects} project(s), {args.shape} headers, "
          f"{compiles} compile "
          f"steps, {len(steps)} steps")
    return 0


if __name__ == "__main__":
    sys.exit(main())
