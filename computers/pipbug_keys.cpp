// The PIPBUG's typed and pasted keys.
#include "computers/pipbug.h"

#include "computers/terminal.h"
#include "core/settings_vars.h"

u8 pipbug_monitor_key(u8 ch) {
    return pipbug_biosversion == 3 ? term_delete_key(ch, true) : ch;
}

int pipbug_paste_char(u8 c, u8* out) {
    if (c == 0x0A) c = 0x0D;
    int n = 0;
    out[n++] = c;
    if (c == 0x0D) // a carriage return is followed by 13 codes of no key
        while (n < 14)
            out[n++] = 0x80;
    return n;
}
