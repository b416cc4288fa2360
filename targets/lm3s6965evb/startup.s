/* Start-up code of the LM3S6965 evaluation board (Cortex-M3).

   The vector table goes into .vectors, which the section placement puts first in flash, so
   the core finds the initial stack pointer and reset_handler at address 0. reset_handler
   prepares the C environment with the symbols the generated linker script defines:
   - the initial values of .data and the code of .fast are copied from their load places in
     flash (__data_load_start__, __fast_load_start__) to their run places in RAM;
   - .bss is zeroed;
   - the process stack pointer is set to the top of .stack_process;
   - the constructors of .init_array run;
   then main(0, 0) is called and its result handed to exit(), so the C library flushes its
   streams and reports the status through its system interface.

   Every exception handler is a weak alias of one that stops in a loop: an application
   defines a handler of the same name to take the exception over. */

  .syntax unified
  .cpu cortex-m3
  .thumb

  .section .vectors, "ax", %progbits
  .align 2
  .global _vectors
  .type _vectors, %object
_vectors:
  .word __stack_end__
  .word reset_handler
  .word nmi_handler
  .word hard_fault_handler
  .word mem_manage_handler
  .word bus_fault_handler
  .word usage_fault_handler
  .word 0
  .word 0
  .word 0
  .word 0
  .word svc_handler
  .word debug_monitor_handler
  .word 0
  .word pend_sv_handler
  .word systick_handler
  /* The 44 interrupts of the LM3S6965's controller. */
  .rept 44
  .word irq_handler
  .endr
  .size _vectors, . - _vectors

  .section .init, "ax", %progbits
  .align 2
  .global reset_handler
  .type reset_handler, %function
  .thumb_func
reset_handler:
  ldr r0, =__data_load_start__
  ldr r1, =__data_start__
  ldr r2, =__data_end__
  bl copy_section
  ldr r0, =__fast_load_start__
  ldr r1, =__fast_start__
  ldr r2, =__fast_end__
  bl copy_section
  ldr r0, =__bss_start__
  ldr r1, =__bss_end__
  bl zero_section
  ldr r0, =__stack_process_end__
  msr psp, r0
  ldr r4, =__init_array_start__
  ldr r5, =__init_array_end__
run_constructors:
  cmp r4, r5
  bhs call_main
  ldr r0, [r4], #4
  blx r0
  b run_constructors
call_main:
  movs r0, #0
  movs r1, #0
  bl main
  bl exit
stop:
  b stop
  .size reset_handler, . - reset_handler

/* Copies the bytes from r0 to r1 up to the end address r2. */
  .type copy_section, %function
  .thumb_func
copy_section:
  cmp r0, r1
  beq copy_done
copy_byte:
  cmp r1, r2
  bhs copy_done
  ldrb r3, [r0], #1
  strb r3, [r1], #1
  b copy_byte
copy_done:
  bx lr
  .size copy_section, . - copy_section

/* Zeroes the bytes from r0 up to the end address r1. */
  .type zero_section, %function
  .thumb_func
zero_section:
  movs r2, #0
zero_byte:
  cmp r0, r1
  bhs zero_done
  strb r2, [r0], #1
  b zero_byte
zero_done:
  bx lr
  .size zero_section, . - zero_section

  .type unhandled_exception, %function
  .thumb_func
unhandled_exception:
  b unhandled_exception
  .size unhandled_exception, . - unhandled_exception

  .macro weak_handler name
  .weak \name
  .thumb_set \name, unhandled_exception
  .endm

  weak_handler nmi_handler
  weak_handler hard_fault_handler
  weak_handler mem_manage_handler
  weak_handler bus_fault_handler
  weak_handler usage_fault_handler
  weak_handler svc_handler
  weak_handler debug_monitor_handler
  weak_handler pend_sv_handler
  weak_handler systick_handler
  weak_handler irq_handler
