; PSG test cartridge (one bank): plays a fixed script of PSG writes, one
; step every 20 frames, timed by the VDP frame interrupt. Each step is the
; port, the byte count, the bytes (sent with OTIR) and the frames to hold.
;   0: tone 0, period 254, loudest     1: tone 1, period 100
;   2: tone 2, period 500              3: periodic noise on tone 2 (period 20)
;   4: tone 2 rewritten to 13          5: white noise, rate 0
;   6: constant levels on tones 0 (left only) and 1 (right only, quieter)
;   7: silence
; The step number is kept at $C000 for the test to follow.

VDP_CONTROL:    equ $BF
PSG:            equ $7F
GG_STEREO:      equ $06
step:           equ $C000

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
        ld a, $20               ; frame interrupt on
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a
        in a, (VDP_CONTROL)
        ei
        ld hl, script
play:   ld a, (hl)              ; port; 0 ends the script
        inc hl
        or a
        jr z, idle
        ld c, a
        ld b, (hl)
        inc hl
        otir
        ld b, (hl)              ; frames to hold; 0 means the next step follows at once
        inc hl
        ld a, b
        or a
        jr z, play
        ld a, (step)
        inc a
        ld (step), a
hold:   halt
        djnz hold
        jr play
idle:   halt
        jr idle

script:
        db PSG, 3, $8E, $0F, $90, 20
        db PSG, 4, $9F, $A4, $06, $B0, 20
        db PSG, 4, $BF, $C4, $1F, $D0, 20
        db PSG, 5, $DF, $C4, $01, $E3, $F0, 20
        db PSG, 2, $CD, $00, 20
        db PSG, 1, $E4, 20
        db PSG, 7, $FF, $80, $00, $90, $A0, $00, $B4, 0
        db GG_STEREO, 1, $12, 20
        db PSG, 4, $9F, $BF, $DF, $FF, 20
        db 0

        ds $4000 - $, $FF
