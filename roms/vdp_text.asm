; Text test cartridge: random names at $3800 and patterns at $0800, white
; on dark green; the sprite table is there but Text mode shows no sprites.

        include 'include/legacy_scene.inc'

mode_registers:         ; R0 to R7
        db $00, $F0, $0E, $FF, $01, $7E, $03, $FC

        ds $4000 - $, $FF
