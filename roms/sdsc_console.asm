; SDSC console test cartridge: prints through ports $FC/$FD every control
; code, format and data type the console knows, with their edge cases, then
; wraps, scrolls, moves the cursor and halts. The rows it leaves (see the
; comments below) are what the console tests expect. 32 KB, with an SDSC tag
; whose description offset is $FFF0 (no description).

CTRL:   equ $FC
DATA:   equ $FD
VDP_DATA:       equ $BE
VDP_CONTROL:    equ $BF
counter:        equ $C010

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0038 - $, $FF
        ei
        reti
        ds $0066 - $, $FF
        retn

; HL -> a length byte and that many bytes, sent to the data port.
print:  ld b, (hl)
        inc hl
        ld c, DATA
        otir
        ret

; The same to the control port.
control:
        ld b, (hl)
        inc hl
        ld c, CTRL
        otir
        ret

start:
        ; Values the formats print.
        ld a, $2A
        ld ($C000), a
        ld hl, 1234
        ld ($C002), hl
        ld hl, $FFFE
        ld ($C004), hl
        xor a
        ld ($C006), a
        ; VDP: register 7 = $35, CRAM entry 1 = $3F, "HELLO" at VRAM $0100.
        ld hl, vdp_setup
        ld b, vdp_setup_end - vdp_setup
        ld c, VDP_CONTROL
        otir
        ld hl, hello
        ld b, 5
        ld c, VDP_DATA
        otir
        ld a, $01
        out (VDP_CONTROL), a
        ld a, $C0
        out (VDP_CONTROL), a
        ld a, $3F
        out (VDP_DATA), a

        ld hl, clear
        call control
        ld hl, row_p            ; P:100% done
        call print
        ld hl, row_e            ; E:A[ERROR]B
        call print
        ld hl, row_x            ; X:002A 2a 234  1234     -2 0000
        call print
        ld hl, row_r            ; R:00 BEEF
        call print
        ld a, 200               ; %2dpr 7 with A = 200: "00"
        ld b, 7
        ld c, DATA
        out (c), b
        ld hl, space_pr
        call print
        ld de, $BEEF            ; %4Xpr 13 (DE): "BEEF"
        ld b, 13
        ld c, DATA
        out (c), b
        ld hl, newline
        call print
        ld hl, row_v            ; V:HELLO 0045 00110101 3F
        call print
        ld hl, row_m            ; M:Tavo
        call print
        ld hl, row_f            ; F:[ERROR] x6, three blanks, |
        call print
        ld hl, row_c            ; C:X[?][?]
        call print
        ld hl, row_k1           ; K:[ERROR]Z, the Z in attribute $1E
        call print
        ld hl, ctrl_bad
        call control
        ld hl, attr_1e
        call control
        ld hl, letter_z
        call print
        ld hl, attr_0f
        call control
        ld hl, newline
        call print

        ; 81 characters: 80 on one row, the 81st on the next.
        ld b, 81
        ld c, DATA
        ld a, 'W'
wrap:   out (c), a
        djnz wrap
        ld hl, newline
        call print

        ; S:11 .. S:27, one per row: the last four scroll the first four off.
        ld a, 11
        ld (counter), a
scroll: ld hl, row_s
        call print
        ld hl, counter
        inc (hl)
        ld a, (hl)
        cp 28
        jr nz, scroll

        ; Cursor to row 4 + 25 * 4 mod 25 = 5, column 100 mod 80 = 20.
        ld hl, move
        call control
        ld hl, star
        call print
        di
        halt

vdp_setup:
        db $35, $87, $00, $41
vdp_setup_end:
hello:  db "HELLO"
tavo_text:
        db "Tavo"

clear:  db 1, 2
ctrl_bad:
        db 1, 9
attr_1e:
        db 2, 3, $1E
attr_0f:
        db 2, 3, $0F
move:   db 3, 4, 30, 100

newline:
        db 1, 10
letter_z:
        db 1, "Z"
star:   db 1, "*"
row_p:  db row_p_end - row_p - 1
        db "P:100%% done", 10
row_p_end:
row_e:  db row_e_end - row_e - 1
        db "E:A%dB", 10
row_e_end:
row_x:  db row_x_end - row_x - 1
        db "X:%4Xmb", $00, $C0
        db " %2xmb", $00, $C0
        db " %3umw", $02, $C0
        db " %5umw", $02, $C0
        db " %6dmw", $04, $C0
        db " %4bmb", $06, $C0, 10
row_x_end:
row_r:  db row_r_end - row_r - 1
        db "R:%2dpr"
row_r_end:
space_pr:
        db 6
        db " %4Xpr"
row_v:  db row_v_end - row_v - 1
        db "V:%5avb", $00, $01
        db " %4xvb", $01, $01
        db " %8bvr", 7
        db " %2Xvr", 17, 10
row_v_end:
row_m:  db row_m_end - row_m - 1
        db "M:%4amb"
        dw tavo_text
        db 10
row_m_end:
row_f:  db row_f_end - row_f - 1
        db "F:%2dzz%2dpr", 18
        db "%2dvr", 48
        db "%0d%257d%2amw%3qmb", $00, $C0
        db "|", 10
row_f_end:
row_c:  db row_c_end - row_c - 1
        db "C:abc", 13
        db "C:X", 7, $80, 10
row_c_end:
row_k1: db 2
        db "K:"
row_s:  db row_s_end - row_s - 1
        db "S:%2umb", $10, $C0, 10
row_s_end:

author: db "Tavo tests", 0
name:   db "SDSC console", 13
        db "test", 0

        ds $7FE0 - $, $FF
        db "SDSC"
        db $01, $02             ; version 1.02
        db $24, $12, $23, $20   ; 24.12.2023
        dw author, name, $FFF0
        ds $8000 - $, $FF
