; FM unit test cartridge (one bank). First it looks for the unit the way
; Japanese Master System programs do: it reads the audio control port $F2,
; writes the value back with bit 0 flipped and reads again; a console
; without the unit reads the same both times. With the unit it then plays a
; fixed script of YM2413 writes, one step every 30 frames, timed by the VDP
; frame interrupt. Each step is a count of (register, value) pairs, the
; pairs, and the frames to hold.
;   0: organ (instrument 8) on channel 0, F-number 290, block 3, loudest
;   1: channel 0 keyed off
;   2: rhythm mode, bass drum struck
;   3: bass drum released, melody keyed off
; $C000 holds the step number, $C001 1 when the unit was found (0 when
; not), $C002 and $C003 the two reads of $F2.

VDP_CONTROL:    equ $BF
FM_ADDRESS:     equ $F0
FM_DATA:        equ $F1
FM_CONTROL:     equ $F2
step:           equ $C000
found:          equ $C001
first_read:     equ $C002
second_read:    equ $C003

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0038 - $, $FF
irq:    push af
        in a, (VDP_CONTROL)     ; acknowledge the frame interrupt
        pop af
        ei
        reti

        ds $0066 - $, $FF
nmi:    retn

start:  xor a
        ld (step), a
        ld (found), a
        in a, (FM_CONTROL)
        ld (first_read), a
        ld b, a
        xor 1
        out (FM_CONTROL), a
        in a, (FM_CONTROL)
        ld (second_read), a
        cp b
        jr z, idle              ; no unit: nothing to play
        ld a, 1
        ld (found), a
        ld a, $20               ; frame interrupt on
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a
        in a, (VDP_CONTROL)
        ei
        ld hl, script
play:   ld b, (hl)              ; pairs; 0 ends the script
        inc hl
        ld a, b
        or a
        jr z, idle
pair:   ld a, (hl)
        out (FM_ADDRESS), a
        inc hl
        ld a, (hl)
        out (FM_DATA), a
        inc hl
        push hl                 ; the chip needs time between writes
        pop hl
        push hl
        pop hl
        djnz pair
        ld b, (hl)              ; frames to hold
        inc hl
        ld a, (step)
        inc a
        ld (step), a
hold:   halt
        djnz hold
        jr play
idle:   halt
        jr idle

script:
        db 3, $30, $80, $10, $22, $20, $17, 30
        db 1, $20, $07, 30
        db 8, $16, $20, $26, $05, $17, $50, $27, $05, $18, $C0, $28, $01, $36, $00, $0E, $30, 30
        db 2, $0E, $20, $20, $00, 30
        db 0

        ds $4000 - $, $FF
