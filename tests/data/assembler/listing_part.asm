        DB      'AB'          ; from the included file
        DW      TABLE
