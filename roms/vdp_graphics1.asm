; Graphics I test cartridge: random tables (names at $3800, colours at
; $2000, patterns at $0000), 8 x 8 sprites, dark blue backdrop.

        include 'include/legacy_scene.inc'

mode_registers:         ; R0 to R7
        db $00, $E0, $0E, $80, $00, $7E, $03, $04

        ds $4000 - $, $FF
