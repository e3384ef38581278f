; The headless runner's verdicts, chosen by the first controller's buttons
; held from the first frame (active low at port $DC):
;   none       prints nothing and keeps running (a run that times out)
;   up         prints "PASS"
;   down       prints "FAIL: expected 3"
;   left       DI then HALT: stopped for good
;   right      EI then HALT with both VDP interrupts off: stopped for good
;   button 1   prints "PASS" without a line feed, then DI and HALT
;   button 2   prints "tick" once a frame for 100 frames, then "PASS"

        include 'include/sdsc_boot.inc'

PORT_A: equ $DC

start:  in a, (VDP_CONTROL)     ; the interrupt line is released from here on
        in a, (PORT_A)
        bit 0, a
        jr z, up
        bit 1, a
        jr z, down
        bit 2, a
        jr z, left
        bit 3, a
        jr z, right
        bit 4, a
        jr z, button1
        bit 5, a
        jr z, button2
        call frame_irq_on
        ei
spin:   halt
        jr spin

up:     ld hl, pass
        call print
        jr spin_on
down:   ld hl, fail
        call print
spin_on:
        call frame_irq_on
        ei
        jr spin
left:   di
        halt
right:  ei
        halt
        jr right
button1:
        ld hl, pass_open
        call print
        di
        halt
button2:
        call frame_irq_on
        ei
        ld b, 100
ticks:  halt
        ld hl, tick
        call print
        djnz ticks
        ld hl, pass
        call print
        jr spin

frame_irq_on:
        ld a, $20
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a
        ret

pass:   db "PASS", 10, 0
fail:   db "FAIL: expected 3", 10, 0
pass_open:
        db "PASS", 0
tick:   db "tick", 10, 0
