; Palettes and tiles. Background tile t (0..3) is an 8 x 8 square whose top
; row and left column use colour 1 (white grid lines) and whose other
; pixels use colour t + 2. Rows are four bit planes, leftmost pixel in bit 7.


; Colours are --BBGGRR with every component 0 or 3, so they convert to
; exact full-scale RGB565 values.
palette:
        db $00, $3F, $03, $0C, $30, $0F, $00, $00   ; background: black white red green blue yellow
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $33, $3C, $00, $00, $00, $00, $00   ; sprites: black (border) magenta cyan
        db $00, $00, $00, $00, $00, $00, $00, $00
palette_end:

bg_tiles:
        ; tile 0: fill colour 2
        db $FF, $00, $00, $00
        db $80, $7F, $00, $00
        db $80, $7F, $00, $00
        db $80, $7F, $00, $00
        db $80, $7F, $00, $00
        db $80, $7F, $00, $00
        db $80, $7F, $00, $00
        db $80, $7F, $00, $00
        ; tile 1: fill colour 3
        db $FF, $00, $00, $00
        db $FF, $7F, $00, $00
        db $FF, $7F, $00, $00
        db $FF, $7F, $00, $00
        db $FF, $7F, $00, $00
        db $FF, $7F, $00, $00
        db $FF, $7F, $00, $00
        db $FF, $7F, $00, $00
        ; tile 2: fill colour 4
        db $FF, $00, $00, $00
        db $80, $00, $7F, $00
        db $80, $00, $7F, $00
        db $80, $00, $7F, $00
        db $80, $00, $7F, $00
        db $80, $00, $7F, $00
        db $80, $00, $7F, $00
        db $80, $00, $7F, $00
        ; tile 3: fill colour 5
        db $FF, $00, $00, $00
        db $FF, $00, $7F, $00
        db $FF, $00, $7F, $00
        db $FF, $00, $7F, $00
        db $FF, $00, $7F, $00
        db $FF, $00, $7F, $00
        db $FF, $00, $7F, $00
        db $FF, $00, $7F, $00
bg_tiles_end:

; Ball (sprite colour 1) and player (sprite colour 2); colour 0 is transparent.
ball_tile:
        db $3C, 0, 0, 0
        db $7E, 0, 0, 0
        db $FF, 0, 0, 0
        db $FF, 0, 0, 0
        db $FF, 0, 0, 0
        db $FF, 0, 0, 0
        db $7E, 0, 0, 0
        db $3C, 0, 0, 0
player_tile:
        db 0, $18, 0, 0
        db 0, $3C, 0, 0
        db 0, $7E, 0, 0
        db 0, $FF, 0, 0
        db 0, $FF, 0, 0
        db 0, $7E, 0, 0
        db 0, $3C, 0, 0
        db 0, $18, 0, 0
sprite_tiles_end:
