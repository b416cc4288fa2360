/* Q16.16 fixed-point arithmetic for cores without a floating-point unit. */
#ifndef FIXEDPOINT_H
#define FIXEDPOINT_H

#include <stdint.h>

typedef int32_t fixed_t;

#define FIXED_ONE ((fixed_t)1 << 16)

static inline fixed_t int_to_fixed(int value) { return (fixed_t)value * FIXED_ONE; }
static inline int fixed_to_int(fixed_t value) { return (int)(value >> 16); }

/* The product, computed in RAM (it runs from the .fast section). */
fixed_t fixed_mul(fixed_t a, fixed_t b);
/* The square root of a non-negative value, rounded down. */
fixed_t fixed_sqrt(fixed_t value);
/* Writes the value with fixed_decimals digits after the point; returns buffer. */
char *fixed_format(char *buffer, fixed_t value);

/* Digits written by fixed_format; initialised data, so it lives in .data. */
extern int fixed_decimals;
/* The number of products computed so far; zeroed data, so it lives in .bss. */
extern unsigned fixed_products;

#endif
