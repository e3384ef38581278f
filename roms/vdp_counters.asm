; VDP counter test cartridge (one bank). The test puts a mode and two
; parameters in RAM $C000-$C002 before the program starts:
;   mode 0: line interrupts with R10 = param 1; the handler appends the V
;           counter of every interrupt to the list at $C100 (count at $C010)
;   mode 1: R0 = param 1, R1 = param 2 (picture height); the main loop
;           polls the V counter and appends every jump that is not +1 as
;           (from, to) pairs at $C100 (pair count at $C010)
;   mode 2: 64 H counter samples exactly 24 cycles apart at $C100
; $C011 becomes 1 when the samples of mode 2 are complete.

        include 'include/machine_test.inc'

mode:           equ $C000
param1:         equ $C001
param2:         equ $C002
count:          equ $C010
complete:       equ $C011
pointer:        equ $C012   ; word
list:           equ $C100

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0038 - $, $FF
        push af
        push hl
        in a, (VCOUNTER)
        ld hl, (pointer)
        ld (hl), a
        inc hl
        ld (pointer), hl
        ld hl, count
        inc (hl)
        in a, (VDP_CONTROL)     ; acknowledge
        pop hl
        pop af
        ei
        reti

        ds $0066 - $, $FF
        retn

start:
        ld hl, list
        ld (pointer), hl
        in a, (VDP_CONTROL)
        ld a, (mode)
        or a
        jr z, line_irqs
        dec a
        jr z, v_jumps
        jp h_samples

line_irqs:
        ld a, (param1)
        out (VDP_CONTROL), a
        ld a, $8A
        out (VDP_CONTROL), a
        ld a, $10               ; line interrupts on, frame interrupt off
        out (VDP_CONTROL), a
        ld a, $80
        out (VDP_CONTROL), a
        ei
irq_wait:
        ld a, (count)
        cp 240                  ; keep the list inside its page
        jr c, irq_halt
        di
irq_halt:
        halt
        jr irq_wait

v_jumps:
        ld a, (param1)
        out (VDP_CONTROL), a
        ld a, $80
        out (VDP_CONTROL), a
        ld a, (param2)
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a
        ld hl, list
        in a, (VCOUNTER)
        ld b, a
v_poll: in a, (VCOUNTER)
        cp b
        jr z, v_poll
        ld c, a
        dec a
        cp b
        jr z, v_next            ; an ordinary step
        ld (hl), b
        inc l
        ld (hl), c
        inc l
        jr z, v_full            ; list page full
        ld a, (count)
        inc a
        ld (count), a
v_next: ld b, c
        jr v_poll
v_full: jr v_full

h_four: macro
        in a, (HCOUNTER)
        ld (hl), a
        inc hl
        in a, (HCOUNTER)
        ld (hl), a
        inc hl
        in a, (HCOUNTER)
        ld (hl), a
        inc hl
        in a, (HCOUNTER)
        ld (hl), a
        inc hl
        endm

h_samples:
        ld hl, list
        ; Four samples per macro use, 11 + 7 + 6 = 24 cycles each.
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        h_four
        ld a, 1
        ld (complete), a
h_idle: jr h_idle

        ds $4000 - $, $FF
