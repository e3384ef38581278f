; A self-testing cartridge for continuous integration: it checks system RAM,
; VRAM through the VDP's data port, that a VDP register write turns the frame
; interrupt on, and the Sega mapper's slot 2, then prints "PASS" or
; "FAIL: <what>" through the SDSC debug console:
;   build/tavo-headless --pass PASS --fail FAIL --frames 600 build/roms/sdsc_selftest.sms
; 48 KB: banks 1 and 2 carry their number at offset $0800.

        include 'include/sdsc_boot.inc'

CTRL:   equ $FC
VDP_DATA:       equ $BE
MARKER: equ $0800

fail:   push hl
        ld hl, failed
        call print
        pop hl
        call print
        ld a, 10
        out (DATA), a
        jp idle

start:  ld a, 2                 ; clear the console
        out (CTRL), a
        ld hl, hello
        call print

        ; RAM: two patterns over $C100-$DEFF.
        ld hl, $C100
        ld bc, $1E00
fill:   ld a, l
        xor h
        ld (hl), a
        inc hl
        dec bc
        ld a, b
        or c
        jr nz, fill
        ld hl, $C100
        ld bc, $1E00
check:  ld a, l
        xor h
        cp (hl)
        jr nz, ram_bad
        cpl
        ld (hl), a
        cp (hl)
        jr nz, ram_bad
        inc hl
        dec bc
        ld a, b
        or c
        jr nz, check

        ; VRAM: 256 bytes written at $2000 and read back.
        xor a
        out (VDP_CONTROL), a
        ld a, $60
        out (VDP_CONTROL), a
        ld b, 0
vwrite: ld a, b
        xor $5A
        out (VDP_DATA), a
        djnz vwrite
        xor a
        out (VDP_CONTROL), a
        ld a, $20
        out (VDP_CONTROL), a
        ld b, 0
vread:  in a, (VDP_DATA)
        ld c, a
        ld a, b
        xor $5A
        cp c
        jr nz, vram_bad
        djnz vread

        ; Register 1 bit 5: frame interrupts arrive.
        xor a
        ld (frames), a
        in a, (VDP_CONTROL)
        ld a, $20
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a
        ei
        halt
        halt
        halt
        di
        ld a, (frames)
        cp 3
        jr c, irq_bad

        ; Mapper: slot 2 follows $FFFF.
        ld a, 2
        ld ($FFFF), a
        ld a, ($8000 + MARKER)
        cp 2
        jr nz, mapper_bad
        ld a, 1
        ld ($FFFF), a
        ld a, ($8000 + MARKER)
        cp 1
        jr nz, mapper_bad

        ld hl, passed
        call print
idle:   ei
        halt
        jp idle

ram_bad:
        ld hl, what_ram
        jp fail
vram_bad:
        ld hl, what_vram
        jp fail
irq_bad:
        ld hl, what_irq
        jp fail
mapper_bad:
        ld hl, what_mapper
        jp fail

hello:  db "Tavo self test", 10, 0
passed: db "PASS", 10, 0
failed: db "FAIL: ", 0
what_ram:
        db "RAM", 0
what_vram:
        db "VRAM", 0
what_irq:
        db "frame interrupt", 0
what_mapper:
        db "mapper", 0
author: db "Tavo", 0
name:   db "SDSC self test", 0
description:
        db "Checks RAM, VRAM, the frame interrupt and the mapper,", 13
        db "then prints PASS or FAIL.", 0

        ds $4000 + MARKER - $, $FF      ; bank 1
        db 1, $A5
        ds $7FE0 - $, $FF
        db "SDSC"
        db $01, $00             ; version 1.00
        db $01, $05, $24, $20   ; 01.05.2024
        dw author, name, description
        ds $8000 - $, $FF

        ds $8000 + MARKER - $, $FF      ; bank 2
        db 2, $A5
        ds $C000 - $, $FF
