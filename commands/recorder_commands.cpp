#include "commands/recorder_commands.h"

#include "core/filekinds.h"
#include "gui/clipboard.h"
#include "peripherals/printer_export.h"
#include "record/recorder.h"

int recorder_picture_kind(int id) {
    // Items 7-13: ACBM, ILBM, BMP, GIF, PCX, PNG, TIFF.
    static constexpr int kinds[7] = {KIND_ACBM, KIND_ILBM, KIND_BMP, KIND_GIF,
                                     KIND_PCX,  KIND_PNG,  KIND_TIFF};
    return id >= 7 && id <= 13 ? kinds[id - 7] : -1;
}

bool recorder_menu_command(int id) {
    if (const int kind = recorder_picture_kind(id); kind >= 0) {
        rec_picture_name[0] = '\0';
        rec_save_picture(kind, 1, 0, 0);
        return true;
    }
    switch (id) {
    case 6:
        rec_start(KIND_COS);
        return true;
    case 14:
        export_text(0, 1, -1, 0);
        return true;
    case 34:
        rec_save_picture(KIND_ILBM, 0, 1, 0);
        return true;
    case 35:
        export_text(1, 0, -1, 0);
        return true;
    case 36:
        clip_paste_text();
        return true;
    case 37:
        clip_empty();
        return true;
    case 47:
        rec_start(KIND_COR);
        return true;
    default:
        return false;
    }
}
