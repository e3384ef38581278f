; Graphics II test cartridge: random tables (names at $3800), 16 x 16
; magnified sprites, magenta backdrop. The table registers mask: colours
; from $0000 with the bottom third reusing the top third's (R3 = $3F),
; patterns from $2000 with the middle third reusing the top third's (R4 = $06).

        include 'include/legacy_scene.inc'

mode_registers:         ; R0 to R7
        db $02, $E3, $0E, $3F, $06, $7E, $03, $0D

        ds $4000 - $, $FF
