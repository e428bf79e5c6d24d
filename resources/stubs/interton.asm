; Title picture shown when the Interton VC 4000 starts without a cartridge:
; V and C in double size, a diamond, a ball whose duplicates run down the
; right side, a grid box and the score 4000. 287 bytes with the padding.

        org     $0000
start:  ppsu    $20             ; no interrupts
        lodi,r3 202             ; PVI bytes $1F00-$1FC9
copy:   loda,r0 picture-1,r3
        stra,r0 $1EFF,r3
        bdrr,r3 copy
idle:   bctr,un idle

picture:                        ; $000E, PVI offsets $00-$C9
        db      $81,$81,$81,$42,$42,$42,$24,$24,$18,$18,56,56,70,250,0,0
        db      $3C,$42,$80,$80,$80,$80,$80,$80,$42,$3C,84,84,70,250,0,0
        db      $00,$18,$3C,$7E,$7E,$7E,$7E,$3C,$18,$00,20,140,20,10
        ds      18              ; $2E-$3F
        db      $10,$38,$7C,$FE,$7C,$38,$10,$00,$00,$00,112,112,70,250
        ds      50              ; $4E-$7F
        db      $FF,$FF,$80,$01 ; band 0: top line, sides
        db      $80,$01,$80,$01 ; bands 1-7: sides
        db      $80,$01,$80,$01
        db      $80,$01,$80,$01
        db      $80,$01,$80,$01
        db      $80,$01,$80,$01
        db      $80,$01,$80,$01
        db      $80,$01,$80,$01
        db      $FF,$FF,$00,$00 ; band 8: bottom line
        db      $00,$00,$00,$00 ; band 9
        db      $C1,$C0,$C0,$C0,$C1,0 ; widths 4, top and bottom lines 8
        ds      18              ; $AE-$BF
        db      $45             ; sizes: V, C and diamond double
        db      $0A,$1C         ; colours
        db      $03             ; score at the bottom, one group of four
        db      0,0
        db      $58             ; grid on
        db      $00             ; silent
        db      $40,$00         ; 4000
        ds      287-$
