; A small program for the listing: labels, directives, an include,
; one error and one warning.
* a comment line
COUNT   EQU     3
        ORG     $0440
BEGIN   LODI,r1 COUNT           ; count down
LOOP    STRA,r0 TABLE,r1
        BDRR,r1 LOOP
        INCLUDE listing_part.asm
        LODI,r0 300             ; too large
        BCTA,un BEGIN
TABLE   DB      1,2,3,4,5
        RES     2
        TITL    Listing
        END     BEGIN
