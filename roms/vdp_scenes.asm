; VDP picture test cartridge (one bank). Fills VRAM with a pseudo-random
; scene: tiles in $0000-$37FF, a name table at $3800, a sprite table at
; $3F00 and all 64 CRAM bytes, then sets registers 0 to 10 from one row of
; the case table and waits. The test writes the case number to RAM $C000
; before the program starts and runs frames once $C001 reads 1.
;
; The random bytes come from a 16-bit Galois shift register (taps $B400,
; seed $ACE1), one step per byte, the byte being the low half.

        include 'include/machine_test.inc'

scene_case:     equ $C000
scene_ready:    equ $C001

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0066 - $, $FF
        retn

start:
        xor a                   ; display off while loading
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a

        ld a, (scene_case)      ; IX := case table row (16 bytes each)
        ld l, a
        ld h, 0
        add hl, hl
        add hl, hl
        add hl, hl
        add hl, hl
        ld de, cases
        add hl, de
        push hl
        pop ix

        xor a                   ; VRAM write from $0000
        out (VDP_CONTROL), a
        ld a, $40
        out (VDP_CONTROL), a
        ld hl, $ACE1
        ld bc, $3800
tiles:  call rand
        out (VDP_DATA), a
        dec bc
        ld a, b
        or c
        jr nz, tiles

        ld bc, $0380            ; name table: 32 x 28 entries from $3800
names:  call rand
        out (VDP_DATA), a
        call rand
        and (ix + 11)           ; high byte: the case's flag mask
        out (VDP_DATA), a
        dec bc
        ld a, b
        or c
        jr nz, names

        ld b, 64                ; sprite y values from $3F00
sat_y:  call rand
        and (ix + 12)
        add a, (ix + 13)
        out (VDP_DATA), a
        djnz sat_y
        ld b, 64                ; unused bytes $3F40-$3F7F
sat_gap: call rand
        out (VDP_DATA), a
        djnz sat_gap
        ld b, 128               ; x and tile pairs from $3F80
sat_xn: call rand
        out (VDP_DATA), a
        djnz sat_xn

        ld a, (ix + 14)         ; optional $D0 end marker
        cp $FF
        jr z, no_marker
        out (VDP_CONTROL), a
        ld a, $7F
        out (VDP_CONTROL), a
        ld a, $D0
        out (VDP_DATA), a
no_marker:

        xor a                   ; 64 CRAM bytes
        out (VDP_CONTROL), a
        ld a, $C0
        out (VDP_CONTROL), a
        ld b, 64
cram:   call rand
        out (VDP_DATA), a
        djnz cram

        ld c, $80               ; registers 0 to 10 from the case row
regs:   ld a, (ix + 0)
        out (VDP_CONTROL), a
        ld a, c
        out (VDP_CONTROL), a
        inc ix
        inc c
        ld a, c
        cp $8B
        jr nz, regs

        ld a, 1
        ld (scene_ready), a
idle:   jr idle

rand:   srl h
        rr l
        jr nc, rand_done
        ld a, h
        xor $B4
        ld h, a
rand_done:
        ld a, l
        ret

; R0 R1 R2 R3 R4 R5 R6 R7 R8 R9 R10, name high mask, y mask, y add,
; $D0 marker index ($FF none), spare.
cases:
        db $00, $40, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $1F, $BF, $00, $FF, 0 ;  0 plain
        db $00, $40, $FF, $FF, $FF, $FF, $FB, $03, $03, $00, $FF,  $1F, $BF, $00, $FF, 0 ;  1 fine X
        db $00, $40, $FF, $FF, $FF, $FF, $FB, $03, $08, $00, $FF,  $1F, $BF, $00, $FF, 0 ;  2 coarse X
        db $00, $40, $FF, $FF, $FF, $FF, $FB, $03, $85, $37, $FF,  $1F, $BF, $00, $FF, 0 ;  3 X and Y
        db $40, $40, $FF, $FF, $FF, $FF, $FB, $03, $2D, $00, $FF,  $1F, $BF, $00, $FF, 0 ;  4 top lock
        db $80, $40, $FF, $FF, $FF, $FF, $FB, $03, $13, $10, $FF,  $1F, $BF, $00, $FF, 0 ;  5 right lock
        db $00, $40, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $0E, $BF, $00, $FF, 0 ;  6 flips, palette
        db $00, $40, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $11, $BF, $00, $FF, 0 ;  7 priority
        db $00, $40, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $1F, $1F, $40, $FF, 0 ;  8 crowded lines
        db $00, $41, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $1F, $BF, $00, $FF, 0 ;  9 zoom
        db $00, $42, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $1F, $BF, $00, $FF, 0 ; 10 8x16
        db $08, $40, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $1F, $BF, $00, $FF, 0 ; 11 shift
        db $00, $00, $FF, $FF, $FF, $FF, $FB, $05, $00, $00, $FF,  $1F, $BF, $00, $FF, 0 ; 12 display off
        db $20, $40, $FF, $FF, $FF, $FF, $FB, $05, $04, $00, $FF,  $1F, $BF, $00, $FF, 0 ; 13 left blank
        db $02, $50, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $1F, $BF, $00, $05, 0 ; 14 224 lines, marker
        db $00, $40, $FF, $FF, $FF, $FF, $FB, $03, $00, $00, $FF,  $1F, $BF, $00, $05, 0 ; 15 192 lines, marker
        db $00, $43, $FF, $FF, $FF, $FF, $FF, $03, $00, $00, $FF,  $1F, $BF, $00, $FF, 0 ; 16 zoomed 8x16, upper tiles

        ds $4000 - $, $FF
