; Sega mapper test cartridge, 8 banks (128 KB). All code sits in the first
; 1 KB so that switching slot 0 never pulls it away. Each bank carries its
; number at offset $0800. The checks store what they read at `results`;
; afterwards the program counts frames in its interrupt handler and spins
; in a busy loop (the frame benchmark runs this loop).

        include 'include/machine_test.inc'

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0038 - $, $FF
irq:    push af
        push hl
        in a, (VDP_CONTROL)     ; acknowledge
        ld hl, (frames)
        inc hl
        ld (frames), hl
        pop hl
        pop af
        ei
        reti

        ds $0066 - $, $FF
nmi:    push af
        ld a, (nmis)
        inc a
        ld (nmis), a
        pop af
        retn

start:
        ; Slot 2 through $FFFF, read back through the mirror and $DFFF.
        ld a, 3
        ld ($FFFF), a
        ld a, ($8000 + MARKER)
        ld (results + 0), a
        ld a, ($FFFF)
        ld (results + 1), a
        ld a, ($DFFF)
        ld (results + 2), a
        ; Bank numbers are reduced modulo the bank count: 13 -> 5.
        ld a, 13
        ld ($FFFF), a
        ld a, ($8000 + MARKER)
        ld (results + 3), a
        ; Slot 1 and slot 0.
        ld a, 6
        ld ($FFFE), a
        ld a, ($4000 + MARKER)
        ld (results + 4), a
        ld a, 7
        ld ($FFFD), a
        ld a, (MARKER)
        ld (results + 5), a
        ld a, ($0000)           ; the first 1 KB stays on bank 0
        ld (results + 6), a
        ld a, $AA               ; ROM writes change nothing
        ld (MARKER), a
        ld a, (MARKER)
        ld (results + 7), a
        ; Cartridge RAM bank 0: $8000 traps, $8123 is a direct write.
        ld a, $08
        ld ($FFFC), a
        ld a, $11
        ld ($8000), a
        ld a, $22
        ld ($8123), a
        ld a, ($8000)
        ld (results + 8), a
        ld a, ($8123)
        ld (results + 9), a
        ; Bank 1 is separate from bank 0.
        ld a, $0C
        ld ($FFFC), a
        ld a, ($8000)
        ld (results + 10), a    ; what bank 1 held before
        ld a, $33
        ld ($8000), a
        ld a, $08
        ld ($FFFC), a
        ld a, ($8000)
        ld (results + 11), a    ; bank 0 again: $11
        ; Code runs from cartridge RAM: ld a,$5A / ret at $8200.
        ld hl, $8200
        ld (hl), $3E
        inc hl
        ld (hl), $5A
        inc hl
        ld (hl), $C9
        xor a
        call $8200
        ld (results + 12), a
        ; Cartridge RAM off: ROM bank 5 is back.
        xor a
        ld ($FFFC), a
        ld a, ($8000 + MARKER)
        ld (results + 13), a
        ld a, 1
        ld (done), a

        ; Frame interrupts on (display off), acknowledge anything pending.
        in a, (VDP_CONTROL)
        ld a, $20
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a
        ei
loop:   ld hl, (busy)
        inc hl
        ld (busy), hl
        ld a, l
        add a, h
        xor $5A
        ld b, a
        ld a, (nmis)
        or b
        jr loop

        ds MARKER - $, $FF
        db 0, $A5
        ds $4000 - $, $FF

        marked_bank 1
        marked_bank 2
        marked_bank 3
        marked_bank 4
        marked_bank 5
        marked_bank 6
        marked_bank 7
