/* Prints a few results of the fixed-point library through the debugger's console. */
#include <stdio.h>

#include "fixedpoint.h"

static const char title[] = "kestrel example on LM3S6965"; /* .rodata */
#ifndef RUN
#define RUN 1 /* the solution file defines it for main.c */
#endif
static int run = RUN;                                       /* .data */
static int squares[6];                                      /* .bss */

int main(void)
{
    char text[24];
    printf("%s, run %d\n", title, run);
    printf("squares:");
    for (int i = 0; i < 6; ++i) {
        squares[i] += fixed_to_int(fixed_mul(int_to_fixed(i), int_to_fixed(i)));
        printf(" %d", squares[i]);
    }
    printf("\n");
    printf("sqrt(2) = %s\n", fixed_format(text, fixed_sqrt(int_to_fixed(2))));
    printf("1.5 * -2.25 = %s\n",
           fixed_format(text, fixed_mul(FIXED_ONE + FIXED_ONE / 2, -(2 * FIXED_ONE + FIXED_ONE / 4))));
    printf("%u products\n", fixed_products);
    return 0;
}
