#include "fixedpoint.h"

int fixed_decimals = 4;
unsigned fixed_products;

__attribute__((section(".fast"), noinline)) fixed_t fixed_mul(fixed_t a, fixed_t b)
{
    ++fixed_products;
    return (fixed_t)(((int64_t)a * b) >> 16);
}

/* Bit by bit, so that no division is needed: the root of value << 16 in Q16.16. */
fixed_t fixed_sqrt(fixed_t value)
{
    uint64_t remainder = (uint64_t)(uint32_t)value << 16;
    uint64_t root = 0;
    uint64_t bit = (uint64_t)1 << 62;
    while (bit > remainder)
        bit >>= 2;
    while (bit != 0) {
        if (remainder >= root + bit) {
            remainder -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return (fixed_t)root;
}

char *fixed_format(char *buffer, fixed_t value)
{
    char *p = buffer;
    if (value < 0) {
        *p++ = '-';
        value = -value;
    }
    char digits[12];
    int count = 0;
    unsigned whole = (unsigned)value >> 16;
    do {
        digits[count++] = (char)('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    while (count > 0)
        *p++ = digits[--count];
    *p++ = '.';
    uint32_t fraction = (uint32_t)value & 0xffff;
    for (int i = 0; i < fixed_decimals; ++i) {
        fraction *= 10;
        *p++ = (char)('0' + (fraction >> 16));
        fraction &= 0xffff;
    }
    *p = '\0';
    return buffer;
}
