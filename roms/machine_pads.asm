; Controller test cartridge (one bank): copies the controller ports to RAM
; in a loop, so a test can script the pads frame by frame and read back
; what the program saw. Also counts the frames where button 1 of port A
; went from released to pressed.

        include 'include/machine_test.inc'

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0066 - $, $FF
        retn

start:
        ld a, $FF
        ld (results + 3), a
loop:   in a, (PORT_A)
        ld (results + 0), a
        ld b, a
        ld a, (results + 3)     ; previous port A
        cpl
        or b                    ; a bit stays 0 only if it fell 1 -> 0
        bit 4, a
        jr nz, no_press
        ld hl, results + 4
        inc (hl)
no_press:
        ld a, b
        ld (results + 3), a
        in a, (PORT_B)
        ld (results + 1), a
        in a, (GG_START)
        ld (results + 2), a
        jr loop

        ds $4000 - $, $FF
