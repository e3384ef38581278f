; Multicolour test cartridge: random names at $3800 and colour blocks at
; $0000, magnified 8 x 8 sprites, cyan backdrop.

        include 'include/legacy_scene.inc'

mode_registers:         ; R0 to R7
        db $00, $E9, $0E, $FF, $00, $7E, $03, $07

        ds $4000 - $, $FF
