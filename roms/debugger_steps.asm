; Debugger test cartridge (one bank): a few instructions at known
; addresses for stepping, stepping over a call, returning from a
; subroutine, "nop nop" stops and runs of counted cycles. Interrupts stay
; off, so only the instructions here ever run.

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp main

        ds $0100 - $, $FF
main:   ld a, $11               ; $0100, 7 cycles
        call sub                ; $0102, 17 cycles
        ld b, $22               ; $0105
        nop                     ; $0107: a "nop nop"
        nop                     ; $0108
        ld c, $33               ; $0109
loop:   inc hl                  ; $010B, 6 cycles
        jr loop                 ; $010C, 12 cycles

        ds $0200 - $, $FF
sub:    ld a, $44               ; $0200
        inc a                   ; $0202
        ret                     ; $0203

        ds $4000 - $, $FF
