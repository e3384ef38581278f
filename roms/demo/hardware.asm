; Master System hardware: ports, VDP register values and the RAM variables
; of the demo. The variables sit at fixed addresses so that tests can read
; them back through the console's memory access.

VDP_DATA:       equ $BE
VDP_CONTROL:    equ $BF
PSG_PORT:       equ $7F
PAD_PORT:       equ $DC

NAME_TABLE:     equ $3800
SPRITE_TABLE:   equ $3F00
SPRITE_TILES:   equ $2000
SPRITE_COUNT:   equ 5           ; the player, then four balls
BALL_TILE:      equ 0           ; sprite tile numbers (from SPRITE_TILES)
PLAYER_TILE:    equ 1
BAND_LINES:     equ 16          ; lines between line interrupts
SKY_BANDS:      equ 6           ; lines 0-95: sky and title, never scrolled
FAR_BANDS:      equ 2           ; lines 96-127: far hills, half speed
NEAR_BANDS:     equ 4           ; lines 128-191: near hills and field
NOTE_FRAMES:    equ 12

; RAM variables (documented addresses: tests read them)
frame:          equ $C000       ; counts handled frames
drawn_x:        equ $C001       ; near scroll X the frame just finished was drawn with
drawn_far:      equ $C002       ; far scroll X the frame just finished was drawn with
scroll_x:       equ $C003       ; near scroll X (lines 128-191) for the next frame
far_x:          equ $C004       ; far scroll X (lines 96-127) for the next frame
player_x:       equ $C005
player_y:       equ $C006
music_pos:      equ $C007       ; next note of the tune
music_timer:    equ $C008       ; frames left of the current note
paused:         equ $C009       ; toggled by the pause button
last_buttons:   equ $C00A       ; pad bits of the previous frame, 1 = pressed
scroll_dir:     equ $C00B       ; +1 or -1 (button 2 flips it)
vblank_flag:    equ $C00C       ; set by the frame interrupt
half_timer:     equ $C00D       ; the far hills move every second frame
band:           equ $C00E       ; line interrupts since the frame began
ball_y:         equ $C010       ; four bytes
ball_x:         equ $C014       ; four bytes
band_scroll:    equ $C020       ; scroll X of each 16-line band, 13 bytes
