; Title screen shown when the Arcadia starts without a game.
; Prints EMERSON (yellow) on row 5 and ARCADIA (red) on row 7, column 4,
; white-on-blue scheme, then waits forever. 348 bytes with the padding.

        org     $0000
start:  lodi,r0 $EF             ; character area from line 16
        stra,r0 $18FC
        lodi,r0 $0E             ; 16-line rows, foreground bit, blue background
        stra,r0 $19F9
        lodi,r0 0
        stra,r0 $19F8           ; 13 rows, normal character set
        stra,r0 $18FE           ; no scrolling, sound off
        stra,r0 $18FD           ; character mode, pitch 0
        lodi,r3 7
copy:   loda,r0 top-1,r3
        stra,r0 $1853,r3        ; row 5, columns 4-10
        loda,r0 bottom-1,r3
        stra,r0 $1873,r3        ; row 7, columns 4-10
        bdrr,r3 copy
idle:   bctr,un idle
top:    db      $1E,$26,$1E,$2B,$2C,$28,$27     ; EMERSON
bottom: db      $9A,$AB,$9C,$9A,$9D,$A2,$9A     ; ARCADIA, colour bit 7
        ds      $015C-$                         ; pad to 348 bytes
