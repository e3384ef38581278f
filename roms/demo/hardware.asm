; Master System hardware: ports, VDP register values and the RAM variables
; of the demo. The variables sit at fixed addresses so that tests can read
; them back through the console's memory access.

VDP_DATA:       equ $BE
VDP_CONTROL:    equ $BF
PSG_PORT:       equ $7F
PAD_PORT:       equ $DC

NAME_TABLE:     equ $3800
SPRITE_TABLE:   equ $3F00
SPRITE_COUNT:   equ 5           ; the player, then four balls
BALL_TILE:      equ 8
PLAYER_TILE:    equ 9
NOTE_FRAMES:    equ 12

; RAM variables (documented addresses: tests read them)
frame:          equ $C000       ; counts handled frames
drawn_x:        equ $C001       ; scroll X the frame just finished was drawn with
drawn_y:        equ $C002       ; scroll Y the frame just finished was drawn with
scroll_x:       equ $C003       ; scroll X written for the next frame
scroll_y:       equ $C004       ; scroll Y written for the next frame (0..223)
player_x:       equ $C005
player_y:       equ $C006
music_pos:      equ $C007       ; next note of the tune
music_timer:    equ $C008       ; frames left of the current note
paused:         equ $C009       ; toggled by the pause button
last_buttons:   equ $C00A       ; pad bits of the previous frame, 1 = pressed
scroll_dir:     equ $C00B       ; +1 or -1 (button 2 flips it)
vblank_flag:    equ $C00C       ; set by the frame interrupt
y_timer:        equ $C00D       ; vertical scroll moves every second frame
ball_y:         equ $C010       ; four bytes
ball_x:         equ $C014       ; four bytes
