; Tavo demo cartridge: a scrolling tiled background, four bouncing balls, a
; player sprite moved with controller 1's pad, and a short tune on the PSG.
; Button 1 replays the tune, button 2 reverses the scrolling, pause freezes.

        include 'hardware.asm'

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

        ds $0038 - $, $FF
; Frame interrupt: reading the status port acknowledges it.
irq_handler:
        push af
        in a, (VDP_CONTROL)
        ld a, 1
        ld (vblank_flag), a
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
        ; Background tiles 0-3.
        ld hl, $0000
        call vram_address
        ld hl, bg_tiles
        ld b, bg_tiles_end - bg_tiles
        otir
        ; Sprite tiles 8 and 9.
        ld hl, BALL_TILE * 32
        call vram_address
        ld hl, ball_tile
        ld b, sprite_tiles_end - ball_tile
        otir
        ; Name table: 32 x 28 entries, tile (column + row) AND 3.
        ld hl, NAME_TABLE
        call vram_address
        ld d, 0                 ; row
fill_row:
        ld e, 0                 ; column
fill_column:
        ld a, d
        add a, e
        and 3
        out (VDP_DATA), a
        xor a
        out (VDP_DATA), a
        inc e
        ld a, e
        cp 32
        jr nz, fill_column
        inc d
        ld a, d
        cp 28
        jr nz, fill_row
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
        ld a, (scroll_y)
        ld (drawn_y), a
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

; Advance the scroll and write it to registers 8 and 9.
scroll_background:
        ld a, (scroll_dir)
        ld b, a
        ld a, (scroll_x)
        add a, b
        ld (scroll_x), a
        out (VDP_CONTROL), a
        ld a, $88
        out (VDP_CONTROL), a
        ld a, (y_timer)
        xor 1
        ld (y_timer), a
        ld a, (scroll_y)
        jr nz, scroll_y_done
        inc a
        cp 224
        jr c, scroll_y_done
        xor a
scroll_y_done:
        ld (scroll_y), a
        out (VDP_CONTROL), a
        ld a, $89
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

; Set the VDP's write address to HL.
vram_address:
        ld a, l
        out (VDP_CONTROL), a
        ld a, h
        or $40
        out (VDP_CONTROL), a
        ret

vdp_registers:
        db $26                  ; 0: mode 4, left column blanked, sprites unshifted
        db $A0                  ; 1: display off, frame interrupt on, 8 x 8 sprites
        db $FF                  ; 2: name table at $3800
        db $FF                  ; 3
        db $FF                  ; 4
        db $FF                  ; 5: sprite table at $3F00
        db $FB                  ; 6: sprite tiles from $0000
        db $00                  ; 7: border: sprite colour 0
        db $00                  ; 8: scroll X
        db $00                  ; 9: scroll Y
        db $FF                  ; 10: no line interrupts
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
