; VGM test cartridge (one bank): a tune on all four PSG channels, with Game
; Gear stereo changes, that makes every sound chip write in line 0 of a
; frame. A 60-frame intro is followed by a 96-frame pattern repeated for
; ever. Interrupts stay off: the program finds line 0 by polling the V
; counter, which reads 0 only there.
;
; Each row is: port (0 = play the pattern again), byte count (1-4, so the
; writes end well inside the line), the bytes (sent with OTIR) and the
; frames the row lasts.

        include 'include/machine_test.inc'

PSG:            equ $7F
GG_STEREO:      equ $06

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0066 - $, $FF
nmi:    retn

start:  call next_frame
        ld hl, intro
row:    ld a, (hl)
        or a
        jr nz, row_go
        ld hl, pattern
        jr row
row_go: ld c, a
        inc hl
        ld b, (hl)
        inc hl
        otir
        ld b, (hl)
        inc hl
hold:   call next_frame
        djnz hold
        jr row

; Returns early in line 0 of the next frame.
next_frame:
        in a, (VCOUNTER)
        or a
        jr z, next_frame        ; still in this frame's line 0
wait0:  in a, (VCOUNTER)
        or a
        jr nz, wait0
        ret

intro:
        db PSG, 4, $8C, $1A, $91, $BF, 6        ; C4 on tone 0, tone 1 off
        db PSG, 1, $93, 6
        db PSG, 3, $83, $15, $91, 6             ; E4
        db PSG, 1, $94, 6
        db PSG, 3, $8D, $11, $90, 6             ; G4
        db PSG, 3, $C8, $35, $D2, 6             ; bass C3 on tone 2
        db PSG, 1, $95, 6
        db PSG, 2, $E4, $F3, 4                  ; white noise
        db PSG, 1, $F8, 4
        db PSG, 1, $FF, 10
pattern:
        db PSG, 4, $8E, $0F, $90, $BF, 4        ; A4, tone 1 off
        db PSG, 4, $C9, $3F, $D1, $FF, 4        ; bass A2, noise off
        db PSG, 1, $92, 4
        db PSG, 4, $AC, $1A, $B2, $94, 4        ; C4 on tone 1
        db PSG, 3, $86, $0D, $90, 4             ; C5
        db GG_STEREO, 1, $DE, 4                 ; tone 0 left, tone 1 right
        db PSG, 2, $E4, $F2, 2                  ; white noise burst
        db PSG, 1, $F6, 2
        db PSG, 1, $FF, 4
        db PSG, 4, $83, $15, $91, $B4, 4        ; E4
        db PSG, 3, $C6, $2A, $D0, 4             ; bass E3
        db PSG, 2, $E3, $F3, 4                  ; periodic noise on tone 2
        db PSG, 1, $FF, 4
        db PSG, 4, $8D, $11, $92, $B6, 4        ; G4
        db GG_STEREO, 1, $FF, 4                 ; every channel on both sides
        db PSG, 3, $82, $0E, $93, 4             ; B4
        db PSG, 4, $AE, $0F, $B1, $D3, 4        ; A4 on tone 1
        db PSG, 2, $E5, $F4, 4                  ; white noise, rate 1
        db PSG, 1, $FF, 4
        db PSG, 4, $80, $14, $90, $BF, 8        ; F4, tone 1 off
        db PSG, 3, $C8, $2F, $D2, 8             ; bass on tone 2
        db PSG, 2, $9F, $DF, 8                  ; tones 0 and 2 silent
        db 0

        ds $4000 - $, $FF
