// The save requester drawn by Qt, answered as a user answers it: Start
// recording… checks every file the recording writes (the .cor and each
// output it generates beside it), refuses a file the program has in use with
// the reason, and asks about each that exists; either keeps the requester
// open for another name.
#include "tests/qt/qt_session.h"

#include "core/filekinds.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "record/recorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class SaveRequesterQt : public QtSession {};

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A WAV tape of a square tone, 8-bit mono at 22050 Hz.
std::string wav_tape() {
    const std::string rate("\x22\x56\0\0", 4);
    std::string o = std::string("RIFF") + std::string("\xEC\0\0\0", 4) + "WAVEfmt " +
                    std::string("\x10\0\0\0\x01\0\x01\0", 8) + rate + rate +
                    std::string("\x01\0\x08\0", 4) + "data" + std::string("\xC8\0\0\0", 4);
    for (int i = 0; i < 200; i++)
        o += static_cast<char>(i % 20 < 10 ? 0x30 : 0xD0);
    return o;
}

} // namespace

// On the Elektor with song.wav in the tape deck, WAV and GIF generation on:
// "song" is refused (its sound would be the tape's file) with the reason,
// "other" asks about the user's other.gif, and No keeps it; nothing records.
TEST_F(SaveRequesterQt, StartRecordingChecksEveryOutputItWrites) {
    const fs::path games = path_to_host("PROGDIR:Games");
    fs::create_directories(games);
    const std::string tape = wav_tape();
    std::ofstream(games / "song.wav", std::ios::binary) << tape;
    std::ofstream(games / "other.gif", std::ios::binary) << "the user's picture";
    command("SETMACHINE ELEKTOR"); // rc 5: its monitor image is missing
    ASSERT_EQ(command("OPEN " + (games / "song.wav").string()), 0);
    const u32 was_wav = generatewav, was_gif = generategif;
    generatewav = generategif = 1;

    // The user: types a name, answers each question as its last button (OK
    // or No), and cancels once both names were tried.
    const std::vector<std::string> names = {"song", "other"};
    std::size_t typed = 0;
    std::vector<std::string> told;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            told.push_back(box->text().toStdString());
            for (QAbstractButton* b : box->buttons())
                if (b->text() == "OK" || b->text() == "No") {
                    b->click();
                    return;
                }
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (typed < names.size()) {
                dialog->selectFile(QString::fromStdString((games / names[typed++]).string()));
                // Save, pressed after this tick: a timer does not tick again
                // while its own tick runs the question's loop.
                QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
            } else {
                dialog->reject();
            }
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
    ASSERT_EQ(told.size(), 2u) << "the requester took a name it should have refused or asked about";
    EXPECT_EQ(told[0].rfind("song.wav is the tape in the deck", 0), 0u) << told[0];
    EXPECT_EQ(told[1], "other.gif already exists.\nDo you want to replace it?");
    EXPECT_TRUE(contents(games / "song.wav") == tape) << "the tape's file was replaced";
    EXPECT_EQ(contents(games / "other.gif"), "the user's picture");
    EXPECT_FALSE(fs::exists(games / "song.cor"));
    EXPECT_FALSE(fs::exists(games / "other.cor"));
}
