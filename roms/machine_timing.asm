; Frame timing test cartridge (one bank). With interrupts off it polls the
; VDP status until the frame flag shows and records the V and H counters
; there; then it enables the frame interrupt and records both counters on
; entry to the handler. Both are repeated every frame.

        include 'include/machine_test.inc'

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0038 - $, $FF
irq:    in a, (HCOUNTER)        ; first instruction of the handler
        ld (results + 3), a
        in a, (VCOUNTER)
        ld (results + 2), a
        in a, (VDP_CONTROL)
        ld hl, (frames)
        inc hl
        ld (frames), hl
        ld a, 1
        ld (done), a
        ei
        reti

start:
        in a, (VDP_CONTROL)     ; clear a stale flag
poll:   in a, (VDP_CONTROL)
        rla
        jr nc, poll
        in a, (HCOUNTER)
        ld (results + 1), a
        in a, (VCOUNTER)
        ld (results + 0), a
        ; Frame interrupt on; wait in HALT.
        ld a, $20
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a
        ei
wait:   halt
        jr wait

        ds $4000 - $, $FF
