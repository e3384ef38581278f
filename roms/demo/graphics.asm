; Palettes, tiles and the background layout of the title scene: a dusk sky
; fading from night blue to peach behind the word TAVO, stars, two ranges
; of hills and a grassy field.
;
; Every background tile is drawn in two colours: an 8-byte mask (one byte
; per row, leftmost pixel in bit 7) says which pixels take the foreground
; colour; the others take the background colour. tile_colours lists runs of
; consecutive masks with their two colours; load_tiles expands them into
; the VDP's four bit planes.

; Colours are --BBGGRR, each component 0..3.
palette:
        db $10                  ;  0 night blue
        db $21                  ;  1 indigo
        db $26                  ;  2 mauve
        db $17                  ;  3 coral
        db $1B                  ;  4 peach
        db $3F                  ;  5 white (stars)
        db $11                  ;  6 plum (far hills)
        db $14                  ;  7 dark teal (near hills)
        db $04                  ;  8 dark green (field)
        db $2F                  ;  9 cream (title, top)
        db $0B                  ; 10 gold (title)
        db $09                  ; 11 grass green
        db $3A                  ; 12 pale lavender (faint stars)
        db $1F                  ; 13 light yellow (title)
        db $07                  ; 14 orange (title, bottom)
        db $00                  ; 15
        db $00                  ; 16 black: border and blanked left column
        db $3F                  ; 17 white   (ball highlight)
        db $3E                  ; 18 ice     (ball)
        db $39                  ; 19 sky blue (ball)
        db $24                  ; 20 deep blue (ball shadow)
        db $2F                  ; 21 cream   (player)
        db $0F                  ; 22 yellow  (player)
        db $0B                  ; 23 gold    (player)
        db $07                  ; 24 orange  (player)
        db $00, $00, $00, $00, $00, $00, $00
palette_end:

; Runs of masks: count, foreground colour, background colour.
tile_colours:
        db 3, 5, 0              ; night sky, bright stars
        db 1, 12, 0             ; night sky, faint star
        db 1, 1, 0              ; night blue into indigo
        db 2, 12, 1             ; indigo sky, faint star
        db 1, 2, 1              ; indigo into mauve
        db 2, 3, 2              ; mauve sky; mauve into coral
        db 2, 4, 3              ; coral sky; coral into peach
        db 33, 6, 4             ; far hills against the peach horizon, solid plum
        db 33, 7, 6             ; near hills against the far ones, solid teal
        db 2, 8, 7              ; the field's grassy edge
        db 3, 11, 8             ; field: plain, tufts
        db 12, 9, 0             ; title, four bands from cream to orange
        db 12, 13, 0
        db 12, 10, 0
        db 12, 14, 0
        db 0

tile_masks:
t_night:    db $00, $00, $00, $00, $00, $00, $00, $00
t_star:     db $00, $00, $10, $38, $10, $00, $00, $00
t_dot:      db $00, $00, $00, $00, $00, $04, $00, $00
t_faint:    db $00, $40, $00, $00, $00, $00, $00, $00
t_ramp01:   db $00, $11, $00, $44, $AA, $55, $EE, $BB
t_indigo:   db $00, $00, $00, $00, $00, $00, $00, $00
t_faint1:   db $00, $00, $00, $00, $00, $00, $02, $00
t_ramp12:   db $00, $11, $00, $44, $AA, $55, $EE, $BB
t_mauve:    db $00, $00, $00, $00, $00, $00, $00, $00
t_ramp23:   db $00, $11, $00, $44, $AA, $55, $EE, $BB
t_coral:    db $00, $00, $00, $00, $00, $00, $00, $00
t_ramp34:   db $00, $11, $00, $44, $AA, $55, $EE, $BB
; Hill masks: a pixel is hill when its depth below the top of the 16-pixel
; strip reaches the height profile at its column.
t_far0:
        db $00, $00, $00, $00, $00, $3F, $FF, $FF
        db $00, $00, $00, $00, $00, $C0, $F0, $FC
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $03, $1F, $7F
        db $00, $00, $00, $00, $7F, $FF, $FF, $FF
        db $00, $00, $00, $00, $FF, $FF, $FF, $FF
        db $00, $00, $00, $00, $80, $FC, $FF, $FF
        db $00, $00, $00, $00, $00, $00, $00, $C0
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $03
t_far1:
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $03, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $F0, $F8, $FC, $FF, $FF, $FF, $FF, $FF
        db $00, $00, $00, $00, $C0, $FF, $FF, $FF
        db $00, $00, $03, $0F, $3F, $FF, $FF, $FF
        db $00, $FC, $FF, $FF, $FF, $FF, $FF, $FF
        db $00, $00, $80, $E0, $FC, $FF, $FF, $FF
        db $00, $00, $00, $00, $00, $80, $FF, $FF
        db $00, $00, $00, $00, $00, $00, $FF, $FF
        db $00, $00, $00, $00, $03, $7F, $FF, $FF
        db $07, $0F, $3F, $FF, $FF, $FF, $FF, $FF
t_plum:     db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
t_near0:
        db $00, $00, $00, $7E, $FF, $FF, $FF, $FF
        db $00, $00, $00, $00, $80, $C0, $E0, $F8
        db $00, $00, $00, $00, $00, $00, $00, $1F
        db $00, $00, $00, $00, $00, $00, $00, $80
        db $00, $00, $00, $00, $00, $00, $00, $03
        db $00, $00, $00, $00, $00, $00, $FE, $FF
        db $00, $00, $00, $00, $00, $03, $0F, $FF
        db $00, $00, $00, $00, $FC, $FF, $FF, $FF
        db $00, $00, $00, $00, $00, $00, $80, $C0
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $00
        db $00, $00, $00, $00, $00, $00, $00, $01
        db $00, $00, $00, $00, $0C, $7F, $FF, $FF
        db $00, $00, $00, $00, $01, $FF, $FF, $FF
t_near1:
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $E0, $F8, $FF, $FF, $FF, $FF, $FF, $FF
        db $07, $1F, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $F0, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $00, $FC, $FF, $FF, $FF, $FF, $FF, $FF
        db $00, $00, $00, $80, $E0, $F0, $FC, $FF
        db $00, $00, $00, $00, $01, $07, $1F, $FF
        db $00, $00, $00, $00, $FF, $FF, $FF, $FF
        db $03, $07, $0F, $3F, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
t_teal:     db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
t_edge0:    db $00, $00, $00, $10, $12, $52, $77, $FF
t_edge1:    db $00, $00, $04, $04, $45, $6D, $7F, $FF
t_field:    db $00, $00, $00, $00, $00, $00, $00, $00
t_tuft0:    db $00, $00, $00, $00, $00, $04, $14, $00
t_tuft1:    db $00, $40, $48, $00, $00, $00, $00, $00
; The title, TAVO, drawn at half size (each mark is a 2 x 2 pixel block):
;   ############     ######     ####    ####     ######   
;   ############    ########    ####    ####   ########## 
;   ############   ####  ####   ####    ####  ####    ####
;       ####      ####    ####  ####    ####  ####    ####
;       ####      ####    ####  ####    ####  ####    ####
;       ####      ####    ####  ####    ####  ####    ####
;       ####      ####    ####  ####    ####  ####    ####
;       ####      ############  ####    ####  ####    ####
;       ####      ############   ####  ####   ####    ####
;       ####      ####    ####   ####  ####   ####    ####
;       ####      ####    ####    ########    ####    ####
;       ####      ####    ####    ########    ####    ####
;       ####      ####    ####     ######     ####    ####
;       ####      ####    ####     ######     ####    ####
;       ####      ####    ####      ####       ########## 
;       ####      ####    ####      ####         ######   
t_title0:
        db $FF, $FF, $FF, $FF, $FF, $FF, $00, $00   ; T, column 0
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; T, column 1
        db $FF, $FF, $FF, $FF, $FF, $FF, $00, $00   ; T, column 2
        db $03, $03, $0F, $0F, $3F, $3F, $FF, $FF   ; A, column 0
        db $FF, $FF, $FF, $FF, $C3, $C3, $00, $00   ; A, column 1
        db $C0, $C0, $F0, $F0, $FC, $FC, $FF, $FF   ; A, column 2
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; V, column 0
        db $00, $00, $00, $00, $00, $00, $00, $00   ; V, column 1
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; V, column 2
        db $03, $03, $3F, $3F, $FF, $FF, $FF, $FF   ; O, column 0
        db $FF, $FF, $FF, $FF, $00, $00, $00, $00   ; O, column 1
        db $C0, $C0, $FC, $FC, $FF, $FF, $FF, $FF   ; O, column 2
t_title1:
        db $00, $00, $00, $00, $00, $00, $00, $00   ; T, column 0
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; T, column 1
        db $00, $00, $00, $00, $00, $00, $00, $00   ; T, column 2
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; A, column 0
        db $00, $00, $00, $00, $00, $00, $FF, $FF   ; A, column 1
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; A, column 2
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; V, column 0
        db $00, $00, $00, $00, $00, $00, $00, $00   ; V, column 1
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; V, column 2
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; O, column 0
        db $00, $00, $00, $00, $00, $00, $00, $00   ; O, column 1
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; O, column 2
t_title2:
        db $00, $00, $00, $00, $00, $00, $00, $00   ; T, column 0
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; T, column 1
        db $00, $00, $00, $00, $00, $00, $00, $00   ; T, column 2
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; A, column 0
        db $FF, $FF, $00, $00, $00, $00, $00, $00   ; A, column 1
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; A, column 2
        db $3F, $3F, $3F, $3F, $0F, $0F, $0F, $0F   ; V, column 0
        db $C3, $C3, $C3, $C3, $FF, $FF, $FF, $FF   ; V, column 1
        db $FC, $FC, $FC, $FC, $F0, $F0, $F0, $F0   ; V, column 2
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; O, column 0
        db $00, $00, $00, $00, $00, $00, $00, $00   ; O, column 1
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; O, column 2
t_title3:
        db $00, $00, $00, $00, $00, $00, $00, $00   ; T, column 0
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; T, column 1
        db $00, $00, $00, $00, $00, $00, $00, $00   ; T, column 2
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; A, column 0
        db $00, $00, $00, $00, $00, $00, $00, $00   ; A, column 1
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; A, column 2
        db $03, $03, $03, $03, $00, $00, $00, $00   ; V, column 0
        db $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF   ; V, column 1
        db $C0, $C0, $C0, $C0, $00, $00, $00, $00   ; V, column 2
        db $FF, $FF, $FF, $FF, $3F, $3F, $03, $03   ; O, column 0
        db $00, $00, $00, $00, $FF, $FF, $FF, $FF   ; O, column 1
        db $FF, $FF, $FF, $FF, $FC, $FC, $C0, $C0   ; O, column 2
tile_masks_end:

; Tile numbers of the masks above.
NIGHT:  equ (t_night - tile_masks) / 8
STAR:   equ (t_star - tile_masks) / 8
DOT:    equ (t_dot - tile_masks) / 8
FAINT:  equ (t_faint - tile_masks) / 8
RAMP01: equ (t_ramp01 - tile_masks) / 8
INDIGO: equ (t_indigo - tile_masks) / 8
FAINT1: equ (t_faint1 - tile_masks) / 8
RAMP12: equ (t_ramp12 - tile_masks) / 8
MAUVE:  equ (t_mauve - tile_masks) / 8
RAMP23: equ (t_ramp23 - tile_masks) / 8
CORAL:  equ (t_coral - tile_masks) / 8
RAMP34: equ (t_ramp34 - tile_masks) / 8
FAR0:   equ (t_far0 - tile_masks) / 8
FAR1:   equ (t_far1 - tile_masks) / 8
PLUM:   equ (t_plum - tile_masks) / 8
NEAR0:  equ (t_near0 - tile_masks) / 8
NEAR1:  equ (t_near1 - tile_masks) / 8
TEAL:   equ (t_teal - tile_masks) / 8
EDGE:   equ (t_edge0 - tile_masks) / 8
FIELD:  equ (t_field - tile_masks) / 8
TUFT:   equ (t_tuft0 - tile_masks) / 8
TITLE:  equ (t_title0 - tile_masks) / 8     ; 4 rows of 12 tiles
TITLE_ROW:    equ 2                         ; name table row and column
TITLE_COLUMN: equ 9                         ; of the title's top left tile

; The background, one line per name table row (rows 0-23; rows 24-27 are
; never shown): 16 tiles, repeated across the 32 columns.
; Rows 0-11 stay put, rows 12-15 scroll at half speed, rows 16-23 at full
; speed (see the line interrupt handler).
layout:
        db NIGHT, NIGHT, DOT, NIGHT, NIGHT, NIGHT, NIGHT, FAINT, NIGHT, NIGHT, NIGHT, STAR, NIGHT, NIGHT, NIGHT, NIGHT
        db NIGHT, FAINT, NIGHT, NIGHT, NIGHT, STAR, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, DOT, NIGHT, NIGHT
        db NIGHT, NIGHT, NIGHT, STAR, NIGHT, NIGHT, NIGHT, NIGHT, DOT, NIGHT, NIGHT, NIGHT, FAINT, NIGHT, NIGHT, NIGHT
        db DOT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, FAINT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, STAR, NIGHT
        db NIGHT, NIGHT, FAINT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, DOT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT
        db NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, DOT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, NIGHT, STAR, NIGHT, NIGHT, FAINT
        db RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01, RAMP01
        db INDIGO, INDIGO, INDIGO, FAINT1, INDIGO, INDIGO, INDIGO, INDIGO, INDIGO, INDIGO, FAINT1, INDIGO, INDIGO, INDIGO, INDIGO, INDIGO
        db RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12, RAMP12
        db MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE, MAUVE
        db RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23, RAMP23
        db RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34, RAMP34
        db FAR0+0, FAR0+1, FAR0+2, FAR0+3, FAR0+4, FAR0+5, FAR0+6, FAR0+7, FAR0+8, FAR0+9, FAR0+10, FAR0+11, FAR0+12, FAR0+13, FAR0+14, FAR0+15
        db FAR1+0, FAR1+1, FAR1+2, FAR1+3, FAR1+4, FAR1+5, FAR1+6, FAR1+7, FAR1+8, FAR1+9, FAR1+10, FAR1+11, FAR1+12, FAR1+13, FAR1+14, FAR1+15
        db PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM
        db PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM, PLUM
        db NEAR0+0, NEAR0+1, NEAR0+2, NEAR0+3, NEAR0+4, NEAR0+5, NEAR0+6, NEAR0+7, NEAR0+8, NEAR0+9, NEAR0+10, NEAR0+11, NEAR0+12, NEAR0+13, NEAR0+14, NEAR0+15
        db NEAR1+0, NEAR1+1, NEAR1+2, NEAR1+3, NEAR1+4, NEAR1+5, NEAR1+6, NEAR1+7, NEAR1+8, NEAR1+9, NEAR1+10, NEAR1+11, NEAR1+12, NEAR1+13, NEAR1+14, NEAR1+15
        db TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL, TEAL
        db EDGE, EDGE+1, EDGE, EDGE, EDGE+1, EDGE, EDGE+1, EDGE+1, EDGE, EDGE, EDGE+1, EDGE, EDGE+1, EDGE, EDGE, EDGE+1
        db FIELD, TUFT, FIELD, FIELD, FIELD, TUFT+1, FIELD, FIELD, TUFT, FIELD, FIELD, FIELD, TUFT+1, FIELD, FIELD, FIELD
        db FIELD, FIELD, FIELD, TUFT+1, FIELD, FIELD, FIELD, TUFT, FIELD, FIELD, FIELD, TUFT+1, FIELD, FIELD, TUFT, FIELD
        db TUFT, FIELD, FIELD, FIELD, FIELD, TUFT, FIELD, FIELD, FIELD, TUFT+1, FIELD, FIELD, FIELD, FIELD, FIELD, TUFT
        db FIELD, FIELD, TUFT+1, FIELD, FIELD, FIELD, FIELD, TUFT+1, FIELD, FIELD, FIELD, FIELD, TUFT, FIELD, FIELD, FIELD
layout_end:

; Sprite tiles, four bit planes a row; the digits are sprite colours 1-4
; (ball) and 5-8 (player), dots are transparent.
ball_tile:
        db $3C, $3C, $00, $00   ; ..3333..
        db $2C, $5C, $02, $00   ; .212334.
        db $EE, $9E, $01, $00   ; 31123334
        db $9E, $FE, $01, $00   ; 32233334
        db $FC, $FC, $03, $00   ; 33333344
        db $F8, $F8, $07, $00   ; 33333444
        db $30, $30, $4E, $00   ; .433444.
        db $00, $00, $3C, $00   ; ..4444..
player_tile:
        db $10, $10, $10, $00   ; ...3....
        db $28, $38, $38, $00   ; ..323...
        db $50, $68, $78, $04   ; .32124..
        db $B0, $C8, $F8, $06   ; 3211244.
        db $00, $30, $30, $4C   ; .42244..
        db $00, $00, $00, $38   ; ..444...
        db $00, $00, $00, $10   ; ...4....
        db $00, $00, $00, $00   ; ........
sprite_tiles_end:
