; Tavo demo cartridge: a title scene at dusk. The sky and the title stay
; put while two ranges of hills and a field scroll at two speeds (line
; interrupts change the horizontal scroll down the screen). Four balls
; bounce, a player sprite moves with controller 1's pad, and a short tune
; plays on the PSG. Button 1 replays the tune, button 2 reverses the
; scrolling, pause freezes.

        include 'hardware.asm'

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0038 - $, $FF
; Frame and line interrupts: reading the status port acknowledges them;
; its bit 7 tells a frame from a line interrupt.
irq_handler:
        push af
        in a, (VDP_CONTROL)
        or a
        jp p, line_irq
        ld a, 1
        ld (vblank_flag), a
        xor a
        ld (band), a
        pop af
        ei
        reti

        ds $0066 - $, $FF
; Pause button.
nmi_handler:
        push af
        ld a, (paused)
        xor 1
        ld (paused), a
        pop af
        retn

; Every 16 lines: the next band's horizontal scroll.
line_irq:
        push hl
        ld hl, band
        inc (hl)
        ld a, (hl)
        add a, band_scroll & $FF
        ld l, a                 ; band_scroll shares band's high byte
        ld a, (hl)
        out (VDP_CONTROL), a
        ld a, $88
        out (VDP_CONTROL), a
        pop hl
        pop af
        ei
        reti

start:
        ; Clear the variables.
        ld hl, $C000
        ld de, $C001
        ld bc, $00FF
        ld (hl), 0
        ldir
        call silence_psg
        ; VDP registers: mode 4, display off while loading.
        ld hl, vdp_registers
        ld b, vdp_registers_end - vdp_registers
        ld c, $80
init_registers:
        ld a, (hl)
        out (VDP_CONTROL), a
        ld a, c
        out (VDP_CONTROL), a
        inc hl
        inc c
        djnz init_registers
        ; Clear the 16 KB of video memory.
        ld hl, $0000
        call vram_address
        ld bc, $4000
clear_vram:
        xor a
        out (VDP_DATA), a
        dec bc
        ld a, b
        or c
        jr nz, clear_vram
        ; Palette.
        xor a
        out (VDP_CONTROL), a
        ld a, $C0
        out (VDP_CONTROL), a
        ld hl, palette
        ld b, palette_end - palette
        ld c, VDP_DATA
        otir
        ; Background tiles from their masks and colours.
        ld hl, $0000
        call vram_address
        call load_tiles
        ; Sprite tiles.
        ld hl, SPRITE_TILES + BALL_TILE * 32
        call vram_address
        ld hl, ball_tile
        ld b, sprite_tiles_end - ball_tile
        ld c, VDP_DATA
        otir
        ; Name table rows 0-23: each layout line twice across.
        ld hl, NAME_TABLE
        call vram_address
        ld hl, layout
        ld d, (layout_end - layout) / 16
fill_row:
        ld e, 2
fill_half:
        push hl
        ld b, 16
fill_column:
        ld a, (hl)
        out (VDP_DATA), a
        xor a
        out (VDP_DATA), a
        inc hl
        djnz fill_column
        pop hl
        dec e
        jr nz, fill_half
        ld bc, 16
        add hl, bc
        dec d
        jr nz, fill_row
        ; The title over the sky: four rows of four letters, three tiles
        ; each, one tile apart.
        ld hl, NAME_TABLE + (TITLE_ROW * 32 + TITLE_COLUMN) * 2
        ld c, TITLE
title_row:
        call vram_address
        ld d, 4                 ; letters
title_letter:
        ld b, 3
title_tile:
        ld a, c
        out (VDP_DATA), a
        xor a
        out (VDP_DATA), a
        inc c
        djnz title_tile
        ld a, NIGHT             ; the gap between letters
        out (VDP_DATA), a
        xor a
        out (VDP_DATA), a
        dec d
        jr nz, title_letter
        ld de, 64
        add hl, de
        ld a, c
        cp TITLE + 48
        jr nz, title_row
        ; Starting positions.
        ld a, 120
        ld (player_x), a
        ld a, 96
        ld (player_y), a
        ld a, 1
        ld (scroll_dir), a
        call update_balls
        call write_sprites
        ; Display and frame interrupt on.
        ld a, $E0
        out (VDP_CONTROL), a
        ld a, $81
        out (VDP_CONTROL), a
        in a, (VDP_CONTROL)     ; drop a frame flag raised while loading
        ei

main_loop:
        halt
        ld a, (vblank_flag)
        or a
        jr z, main_loop         ; woken by the pause button, not a frame
        xor a
        ld (vblank_flag), a
        ; The frame that just ended was drawn with the registers written last time.
        ld a, (scroll_x)
        ld (drawn_x), a
        ld a, (far_x)
        ld (drawn_far), a
        ld a, (paused)
        or a
        jr z, running
        ld a, $9F
        out (PSG_PORT), a
        jr main_loop
running:
        call scroll_background
        call write_sprites
        call play_music
        call read_pad
        call update_balls
        ld hl, frame
        inc (hl)
        jr main_loop

; Advance the scrolls: the field and near hills by one pixel a frame, the
; far hills every second frame. The line interrupt handler takes each 16-line
; band's scroll from band_scroll; the top band's goes to register 8 now.
scroll_background:
        ld a, (scroll_dir)
        ld b, a
        ld a, (scroll_x)
        add a, b
        ld (scroll_x), a
        ld c, a
        ld a, (half_timer)
        xor 1
        ld (half_timer), a
        ld a, (far_x)
        jr nz, far_done
        add a, b
        ld (far_x), a
far_done:
        ld hl, band_scroll
        ld b, SKY_BANDS
sky_bands:
        ld (hl), 0
        inc hl
        djnz sky_bands
        ld b, FAR_BANDS
far_bands:
        ld (hl), a
        inc hl
        djnz far_bands
        ld b, NEAR_BANDS + 1    ; and the line interrupt below the picture
near_bands:
        ld (hl), c
        inc hl
        djnz near_bands
        xor a
        out (VDP_CONTROL), a
        ld a, $88
        out (VDP_CONTROL), a
        ret

; Ball i: x = frame * (i + 1) + 64 * i, y = 64 + a triangle wave (0..63).
update_balls:
        ld ix, ball_y
        ld b, 0                 ; i
        ld a, (frame)
        ld c, a
ball_loop:
        ; x
        ld a, b
        rrca
        rrca                    ; 64 * i (mod 256)
        ld e, a
        ld a, c
        ld h, b
        inc h
        ld l, 0
ball_multiply:
        add a, l
        ld l, a
        ld a, c
        dec h
        jr nz, ball_multiply
        ld a, l
        add a, e
        ld (ix + 4), a
        ; y from (2 * frame + 32 * i) AND 127
        ld a, c
        add a, a
        ld d, a
        ld a, b
        rrca
        rrca
        rrca
        add a, d
        and 127
        cp 64
        jr c, ball_rising
        cpl
        and 127
ball_rising:
        add a, 64
        ld (ix + 0), a
        inc ix
        inc b
        ld a, b
        cp 4
        jr nz, ball_loop
        ret

; Sprite table: the player first, then the balls, then the end marker.
write_sprites:
        ld hl, SPRITE_TABLE
        call vram_address
        ld a, (player_y)
        out (VDP_DATA), a
        ld hl, ball_y
        ld b, 4
        ld c, VDP_DATA
        otir
        ld a, $D0
        out (VDP_DATA), a
        ld hl, SPRITE_TABLE + 128
        call vram_address
        ld a, (player_x)
        out (VDP_DATA), a
        ld a, PLAYER_TILE
        out (VDP_DATA), a
        ld hl, ball_x
        ld b, 4
sprite_x_loop:
        ld a, (hl)
        out (VDP_DATA), a
        ld a, BALL_TILE
        out (VDP_DATA), a
        inc hl
        djnz sprite_x_loop
        ret

; Controller 1: the pad moves the player, button 1 replays the tune and
; button 2 reverses the scrolling (both on the press, not while held).
read_pad:
        in a, (PAD_PORT)
        cpl
        and $3F                 ; 1 = pressed
        ld c, a
        ld hl, player_y
        bit 0, c
        jr z, pad_not_up
        dec (hl)
pad_not_up:
        bit 1, c
        jr z, pad_not_down
        inc (hl)
pad_not_down:
        ld hl, player_x
        bit 2, c
        jr z, pad_not_left
        dec (hl)
pad_not_left:
        bit 3, c
        jr z, pad_not_right
        inc (hl)
pad_not_right:
        ld a, (last_buttons)
        cpl
        and c                   ; newly pressed
        ld b, a
        ld a, c
        ld (last_buttons), a
        bit 4, b
        jr z, pad_not_button1
        xor a
        ld (music_pos), a
        ld (music_timer), a
pad_not_button1:
        bit 5, b
        ret z
        ld a, (scroll_dir)
        neg
        ld (scroll_dir), a
        ret

; Expand the background tiles' masks (tile_masks) into bit planes with the
; colours listed in tile_colours. The VDP address is already set.
load_tiles:
        ld hl, tile_colours
        ld ix, tile_masks
load_run:
        ld a, (hl)
        or a
        ret z
        ld b, a                 ; tiles in this run
        inc hl
        ld d, (hl)              ; foreground colour
        inc hl
        ld e, (hl)              ; background colour
        inc hl
        push hl
load_tile:
        push bc
        ld b, 8
load_row:
        push bc
        ld c, (ix + 0)          ; mask
        inc ix
        ld h, d
        ld l, e
        ld b, 4
load_plane:
        xor a
        srl h
        jr nc, plane_no_fg
        ld a, c                 ; foreground pixels
plane_no_fg:
        srl l
        jr nc, plane_out
        or a                    ; background pixels too: all of them if the
        ld a, $FF               ; foreground ones are set, else the others
        jr nz, plane_out
        ld a, c
        cpl
plane_out:
        out (VDP_DATA), a
        djnz load_plane
        pop bc
        djnz load_row
        pop bc
        djnz load_tile
        pop hl
        jr load_run

; Set the VDP's write address to HL.
vram_address:
        ld a, l
        out (VDP_CONTROL), a
        ld a, h
        or $40
        out (VDP_CONTROL), a
        ret

vdp_registers:
        db $36                  ; 0: mode 4, left column blanked, line interrupts
        db $A0                  ; 1: display off, frame interrupt on, 8 x 8 sprites
        db $FF                  ; 2: name table at $3800
        db $FF                  ; 3
        db $FF                  ; 4
        db $FF                  ; 5: sprite table at $3F00
        db $FF                  ; 6: sprite tiles from $2000
        db $00                  ; 7: border: sprite colour 0
        db $00                  ; 8: scroll X
        db $00                  ; 9: scroll Y
        db BAND_LINES - 1       ; 10: a line interrupt every 16 lines
vdp_registers_end:

        include 'graphics.asm'
        include 'music.asm'

        ds $7FF0 - $, $FF
; Cartridge header: 32 KB, export Master System.
        db "TMR SEGA"
        db $FF, $FF
        dw $0000                ; checksum (not filled in)
        db $00, $00, $00        ; product code and version
        db $4C                  ; region 4 (export), size code C (32 KB)
