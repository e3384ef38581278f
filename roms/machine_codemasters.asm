; Code Masters mapper test cartridge, 4 banks. Slot 2 is switched by
; writes to $8000; $FFFD and $FFFE are ignored, $FFFF still works.

        include 'include/machine_test.inc'

        org $0000
        di
        im 1
        ld sp, $DFF0
        jp start

start:
        ld a, 3
        ld ($8000), a
        ld a, ($8000 + MARKER)
        ld (results + 0), a     ; 3
        ld a, 2
        ld ($FFFD), a
        ld a, (MARKER)
        ld (results + 1), a     ; 0: slot 0 unchanged
        ld a, ($DFFD)
        ld (results + 2), a     ; 0: the mirror byte was not written
        ld a, 1
        ld ($FFFF), a
        ld a, ($8000 + MARKER)
        ld (results + 3), a     ; 1
        ld a, 2
        ld ($4000), a
        ld a, ($4000 + MARKER)
        ld (results + 4), a     ; 1: writes to ROM change nothing
        ld a, 6                 ; 6 mod 4 = 2
        ld ($8000), a
        ld a, ($8000 + MARKER)
        ld (results + 5), a     ; 2
        ld a, 1
        ld (done), a
halt_here:
        halt
        jr halt_here

        ds MARKER - $, $FF
        db 0, $A5
        ds $4000 - $, $FF

        marked_bank 1
        marked_bank 2
        marked_bank 3
