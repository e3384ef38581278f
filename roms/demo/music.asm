; The tune for channel 0: each note is the PSG's latch byte and data byte of
; its tone period (3579545 Hz / 32 / frequency); 0, 0 is a rest.

tune:
        db $8C, $1A             ; C4 (428)
        db $83, $15             ; E4 (339)
        db $8D, $11             ; G4 (285)
        db $86, $0D             ; C5 (214)
        db $82, $0E             ; B4 (226)
        db $8D, $11             ; G4 (285)
        db $8E, $0F             ; A4 (254)
        db $80, $14             ; F4 (320)
        db $83, $15             ; E4 (339)
        db $8D, $17             ; D4 (381)
        db $8D, $11             ; G4 (285)
        db $82, $0E             ; B4 (226)
        db $86, $0D             ; C5 (214)
        db $86, $0D             ; C5 (214)
        db $00, $00             ; rest
tune_end:
TUNE_NOTES: equ (tune_end - tune) / 2

; Called once per frame: starts the next note when the current one is over
; and cuts every note two frames early so that repeated notes are heard.
play_music:
        ld a, (music_timer)
        or a
        jr z, music_next
        dec a
        ld (music_timer), a
        cp 2
        ret nz
        ld a, $9F               ; channel 0 silent
        out (PSG_PORT), a
        ret
music_next:
        ld a, (music_pos)
        cp TUNE_NOTES
        ret nc                  ; tune over
        inc a
        ld (music_pos), a
        dec a
        add a, a
        ld l, a
        ld h, 0
        ld de, tune
        add hl, de
        ld a, NOTE_FRAMES
        ld (music_timer), a
        ld a, (hl)
        or a
        jr z, music_rest
        out (PSG_PORT), a       ; latch channel 0 tone, low 4 bits
        inc hl
        ld a, (hl)
        out (PSG_PORT), a       ; high 6 bits
        ld a, $91               ; channel 0 volume: nearly full
        out (PSG_PORT), a
        ret
music_rest:
        ld a, $9F
        out (PSG_PORT), a
        ret

silence_psg:
        ld a, $9F
        out (PSG_PORT), a
        ld a, $BF
        out (PSG_PORT), a
        ld a, $DF
        out (PSG_PORT), a
        ld a, $FF
        out (PSG_PORT), a
        ret
