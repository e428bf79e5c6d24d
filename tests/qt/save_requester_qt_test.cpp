// The Start recording requester drawn by Qt, answered as a user answers it:
// it checks every file the recording writes, the .cor and each output
// generated beside it, refusing a file the program has in use with the
// reason and asking about each that exists; both keep it open.
#include "tests/qt/qt_session.h"

#include "core/filekinds.h"
#include "core/settings_vars.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "record/recorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
class SaveRequesterQt : public QtSession {};

std::string contents(const fs::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}
} // namespace

// The Elektor with song.wav in its deck, generating WAV and GIF: "song" is
// refused (its sound would be the tape's file), "other" asks about the
// user's other.gif, No keeps it, and nothing records.
TEST_F(SaveRequesterQt, StartRecordingChecksEveryOutputItWrites) {
    const fs::path games = path_to_host("PROGDIR:Games");
    const std::string tape = std::string("RIFF\x2C\1\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x22\x56\0\0"
                                         "\x22\x56\0\0\1\0\x08\0data\x08\1\0\0", 44) +
                             std::string(264, '\x30');
    std::ofstream(games / "song.wav", std::ios::binary) << tape;
    std::ofstream(games / "other.gif") << "the user's picture";
    command("SETMACHINE ELEKTOR"); // rc 5: its monitor image is missing
    // What runs has a name, which the requester offers; the tape put in
    // beside it does not change that name.
    ASSERT_EQ(command("SAVEAS " + (games / "start.cos").string()), 0);
    ASSERT_EQ(command("OPEN " + (games / "song.wav").string()), 0);
    const u32 was_wav = generatewav, was_gif = generategif;
    generatewav = generategif = 1;

    // The user types each name in turn and answers OK or No; then cancels.
    const char* const names[] = {"song", "other"};
    std::size_t typed = 0;
    std::vector<std::string> told;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            told.push_back(box->text().toStdString());
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove('&') == "OK" || b->text().remove('&') == "No") b->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (typed == 2) return dialog->reject();
            // Save, pressed after this tick: a timer does not tick again
            // while its own tick runs the question's loop.
            if (qt_type_save_name(dialog, QString::fromStdString((games / names[typed]).string())))
                typed++;
        }
    });
    gui_host_set_break_poll(nullptr); // the requester waits for its user
    user.start(20);
    rec_start(KIND_COR);
    user.stop();
    gui_host_set_break_poll([] { return true; });
    const bool recording = rec_state == REC_RECORDING;
    rec_stop_all();
    generatewav = was_wav;
    generategif = was_gif;

    EXPECT_FALSE(recording);
    ASSERT_EQ(told.size(), 2u) << "a name was taken unasked";
    EXPECT_EQ(told[0].rfind("song.wav is the tape in the deck", 0), 0u) << told[0];
    EXPECT_EQ(told[1], "other.gif already exists.\nDo you want to replace it?");
    EXPECT_TRUE(contents(games / "song.wav") == tape) << "the tape's file was replaced";
    EXPECT_EQ(contents(games / "other.gif"), "the user's picture");
}
