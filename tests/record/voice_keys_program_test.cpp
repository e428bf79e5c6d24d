// The notes of the music files against the sound file of the same playback,
// through the real program: for every kind of voice of every machine, each
// note the MIDI and SMUS files hold is at the key nearest the pitch the WAV
// sounds while the note lasts, and the WAV is silent where no note is.
#include "core/machine_table.h"
#include "tests/record/music_notes.h"
#include "tests/record/tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numeric>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A voice's frequency measured in 8-bit unsigned samples at `rate`: half
// the rate its steps come at. A square steps at each level change; noise at
// some, the others fall on the step lengths' multiples, which the fit finds.
double square_frequency(const std::vector<u8>& s, double rate) {
    std::vector<std::size_t> changes;
    for (std::size_t i = 1; i < s.size(); i++)
        if ((s[i] > 128) != (s[i - 1] > 128)) changes.push_back(i);
    if (changes.size() < 3) return 0.0;
    return rate * static_cast<double>(changes.size() - 1) /
           (2.0 * static_cast<double>(changes.back() - changes.front()));
}

double noise_frequency(const std::vector<u8>& s, double rate) {
    std::vector<double> gaps;
    for (std::size_t i = 1, last = 0; i < s.size(); i++)
        if (s[i] != s[i - 1]) {
            if (last) gaps.push_back(static_cast<double>(i - last));
            last = i;
        }
    if (gaps.size() < 20) return 0.0;
    // The commonest gap is one step (half the runs of the noise are); every
    // gap is then a whole number of steps.
    double step = 0.0;
    for (double g : gaps)
        if (std::count(gaps.begin(), gaps.end(), g) > std::count(gaps.begin(), gaps.end(), step))
            step = g;
    for (int pass = 0; pass < 8; pass++) {
        double steps = 0.0;
        for (double g : gaps)
            steps += std::max(1.0, std::round(g / step));
        step = std::accumulate(gaps.begin(), gaps.end(), 0.0) / steps;
    }
    return rate / (2.0 * step);
}

// The pitch of a frequency in MIDI keys, fractional (69 = A4 at 440 Hz).
double pitch_of(double frequency) {
    return 69.0 + 12.0 * std::log2(frequency / 440.0);
}

// One kind of voice: how a machine is made to sound it from the state of a
// recording (port lines, the known game's row the state names), or while
// the recording plays, and the machine's frames the playback runs.
struct VoiceKind {
    const char* name;
    int voice;
    std::vector<std::string> setup;
    bool noise = false;
    int game = -1;
    std::vector<std::string> during = {};
    unsigned frames = 90;
};

// The machine chosen, the debugger holding it, `program` put at `at` and
// started there, then the lines `sound`.
std::vector<std::string> machine_with(const char* choice, u16 at, std::initializer_list<u8> program,
                                      std::initializer_list<std::string> sound = {}) {
    std::vector<std::string> lines = {choice, "DEBUGGER P"};
    char line[40];
    for (u16 a = at; u8 b : program) {
        std::snprintf(line, sizeof line, "DEBUGGER E $%04X $%02X", a++, b);
        lines.push_back(line);
    }
    std::snprintf(line, sizeof line, "DEBUGGER J $%04X", at);
    lines.push_back(line);
    lines.insert(lines.end(), sound);
    return lines;
}

constexpr std::initializer_list<u8> STAY = {0x1B, 0x7E}; // BCTR,un itself

const VoiceKind KINDS[] = {
    // PVI and UVI dividers, their noise, the PSGs' tones and noise.
    {"IntertonTone", 0, machine_with("SETMACHINE INTERTON", 0, STAY, {"DEBUGGER E $1FC7 $11"})},
    {"IntertonNoise", 9,
     machine_with("SETMACHINE INTERTON", 0, STAY, {"DEBUGGER E $1FC7 $40", "DEBUGGER E $1E80 $08"}),
     true},
    // A pitch stored twice in every frame: the last of each frame sounds.
    {"IntertonRetunedWithinFrames", 0,
     machine_with("SETMACHINE INTERTON", 0,
                  {0x04, 0x11, 0xCC, 0x1F, 0xC7, 0x04, 0x22, 0xCC, 0x1F, 0xC7, 0x1F, 0x00, 0x00})},
    {"ElektorTone", 0,
     machine_with("SETMACHINE ELEKTOR", 0x0900, STAY,
                  {"DEBUGGER E $1FC7 $30", "DEBUGGER E $1E80 $04"})},
    {"ElektorPsgToneA", 3,
     machine_with("SETMACHINE ELEKTOR", 0x0900, STAY,
                  {"DEBUGGER E $1D00 $00", "DEBUGGER E $1D01 $01", "DEBUGGER E $1D07 $3E",
                   "DEBUGGER E $1D08 $0F"})},
    {"ElektorPsg2ToneC", 8,
     machine_with("SETMACHINE ELEKTOR", 0x0900, STAY,
                  {"DEBUGGER E $1D14 $00", "DEBUGGER E $1D15 $04", "DEBUGGER E $1D17 $3B",
                   "DEBUGGER E $1D1A $0F"})},
    {"ElektorPsgNoise", 10,
     machine_with("SETMACHINE ELEKTOR", 0x0900, STAY,
                  {"DEBUGGER E $1D06 $1F", "DEBUGGER E $1D07 $37", "DEBUGGER E $1D08 $0F"}),
     true},
    {"ArcadiaTone", 0,
     machine_with("SETMACHINE ARCADIA", 0, STAY, {"DEBUGGER E $18FD $20", "DEBUGGER E $18FE $0F"})},
    {"ArcadiaNoise", 9,
     machine_with("SETMACHINE ARCADIA", 0, STAY, {"DEBUGGER E $18FD $20", "DEBUGGER E $18FE $17"}),
     true},
    // The coin-op boards' PVIs, Galaxia's shot and siren, the tone units.
    {"AstroWarsPvi", 0,
     machine_with("MENU SETTINGS.MACHINE.ASTROWARS", 0x1400, STAY, {"DEBUGGER E $15C7 $20"})},
    {"GalaxiaThirdPvi", 2,
     machine_with("MENU SETTINGS.MACHINE.GALAXIA", 0x1400, STAY, {"DEBUGGER E $17C7 $18"})},
    {"GalaxiaShot", 3,
     machine_with("MENU SETTINGS.MACHINE.GALAXIA", 0x1400, {0x04, 0x01, 0xF0, 0x1B, 0x7E})},
    {"GalaxiaSiren", 4,
     machine_with("MENU SETTINGS.MACHINE.GALAXIA", 0x1400, {0x04, 0x08, 0xF0, 0x1B, 0x7E})},
    {"LaserBattleBassTone", 3,
     machine_with("MENU SETTINGS.MACHINE.LASERBATTLE", 0x1400, STAY,
                  {"DEBUGGER WRITEPORT 2 $01", "DEBUGGER WRITEPORT 7 $14"})},
    {"LaserBattleTrebleTone", 5,
     machine_with("MENU SETTINGS.MACHINE.LASERBATTLE", 0x1400, STAY,
                  {"DEBUGGER WRITEPORT 2 $20", "DEBUGGER WRITEPORT 7 $18"})},
    {"LazarianBassTone", 3,
     machine_with("MENU SETTINGS.MACHINE.LAZARIAN", 0x1400, STAY,
                  {"DEBUGGER WRITEPORT 2 $40", "DEBUGGER WRITEPORT 7 $14"})},
    {"MalzakSecondPvi", 1,
     machine_with("MENU SETTINGS.MACHINE.MALZAK1", 0x1300, STAY, {"DEBUGGER E $15C7 $20"})},
    // The computers: note codes, the beeps, the music programs' tones. A
    // music program's voice follows the registers where its known game's
    // row says (the row the state names): the note code in r0 at the
    // BCTA,lt at $04A5; the speaker switched by WRTD $0F; r3 at the
    // STRZ r3 at $001F or $1819, at the LODI,r1 at $1816, r0 at the RRL at $182A.
    {"PipbugNoteCode", 0,
     machine_with("SETMACHINE PIPBUG", 0x04A0, {0x04, 0x55, 0x05, 0xFF, 0xC0, 0x1E, 0x04, 0xA0}),
     false, 479},
    {"Cd2650Speaker", 0, machine_with("SETMACHINE CD2650", 0x1500, {0x04, 0x0F, 0xF0, 0x1B, 0x7E}),
     false, 635},
    {"Cd2650Beep", 1, machine_with("SETMACHINE CD2650", 0x1500, {0xD4, 0x06, 0x1B, 0x7E})},
    {"TwinTerminalBeep",
     1,
     {"SETMACHINE TWIN", "DEBUGGER P"},
     false,
     -1,
     {"DEBUGGER \"WRITEPORT E8 07\""}},
    {"TwinPrinterBell",
     2,
     {"SETMACHINE TWIN", "DEBUGGER P"},
     false,
     -1,
     {"DEBUGGER \"WRITEPORT EB 07\"", "DEBUGGER \"WRITEPORT EA 02\"",
      "DEBUGGER \"WRITEPORT EB 0D\"", "DEBUGGER \"WRITEPORT EA 02\""},
     180},
    {"InstructorMusicTheme", 0,
     machine_with("SETMACHINE INSTRUCTOR", 0x001B,
                  {0x04, 0x3F, 0x07, 0x3F, 0xC3, 0x1F, 0x00, 0x1F}),
     false, 616},
    {"PhunsyFiftyTheme", 0,
     machine_with("SETMACHINE PHUNSY", 0x1815, {0x04, 0x3F, 0x07, 0x3F, 0xC3, 0x1F, 0x18, 0x19}),
     false, 654},
    {"PhunsyPiano", 0,
     machine_with("SETMACHINE PHUNSY", 0x1814, {0x07, 0x05, 0x05, 0x00, 0x1F, 0x18, 0x16}), false,
     655},
    {"PhunsyBells", 0,
     machine_with("SETMACHINE PHUNSY", 0x1828, {0x04, 0x05, 0xD0, 0x1F, 0x18, 0x28}), false, 652},
    // The machines without a processor: the game's own tones.
    {"BallAndPaddle", 0, {"SETMACHINE PONG", "DEBUGGER P"}, false, -1, {}, 240},
    {"TypeRight", 0, {"SETMACHINE TYPERIGHT", "DEBUGGER P"}, false, -1, {}, 120},
};

void PrintTo(const VoiceKind& kind, std::ostream* out) {
    *out << kind.name;
}

// The program with its sound files at 22050 samples a second and without
// the devices' and cabinet's sounds (set in its settings file, written at
// its first exit), playing back a recording.
class VoiceKeys : public RecordingProgram {
  protected:
    static constexpr u32 RATE = 22050;
    // Started, quit, and started again so set. Check with ASSERT_NO_FATAL_FAILURE.
    void start_at_rate() {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        request("QUIT");
        ASSERT_EQ(wait_exit(), 0) << log();
        if (fd >= 0) ::close(fd);
        fd = -1;
        const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
        std::vector<u8> text = read_bytes(ini);
        std::string s(text.begin(), text.end());
        for (const auto& [was, now] :
             {std::pair<std::string, std::string>{"\nsamplerate=11025\n", "\nsamplerate=22050\n"},
              {"\nteletypesounds=true\n", "\nteletypesounds=false\n"}}) {
            const std::size_t at = s.find(was);
            ASSERT_NE(at, std::string::npos) << was << " in " << s;
            s.replace(at, was.size(), now);
        }
        write_bytes(ini, {s.begin(), s.end()});
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
    }
    // Waits until the machine the port names has run `frames` frames: by its
    // processor's clock where it has one, else as the debugger counts them.
    void run_frames(unsigned frames) {
        std::string name;
        ASSERT_EQ(send("GETMACHINE", &name), 0) << name;
        unsigned m = 0;
        while (m < MACHINES && (!machine_table[m].keyword || name != machine_table[m].keyword))
            m++;
        ASSERT_LT(m, MACHINES) << name;
        if (machine_table[m].traits.no_processor) {
            ASSERT_TRUE(frames_ran(frames)) << name << log();
        } else {
            ASSERT_TRUE(guest_ran(frame_clocks(m, frames))) << name << log();
        }
    }
    // Sets the machine up by `setup`, saves it as the state of a recording
    // (naming game row `game`), and plays that back for `frames` of the
    // machine's frames, generating WAV, MIDI and SMUS; `during` is sent once
    // it plays. With `heard`, the playback runs on until that holds too.
    void play(const std::vector<std::string>& setup, int game,
              const std::vector<std::string>& during, unsigned frames,
              const std::function<bool()>& heard = {}) {
        ASSERT_NO_FATAL_FAILURE(start_at_rate());
        for (const std::string& line : setup)
            request(line);
        const fs::path state = home.path() / "take.cos";
        request("SAVEAS " + state.string());
        std::vector<u8> recording = read_bytes(state);
        ASSERT_GT(recording.size(), 38u);
        recording[2] = 1; // a recording follows the state
        if (game >= 0) {
            ASSERT_EQ(recording[36] << 8 | recording[37], 0xFFFF) << "the state's game row";
            recording[36] = static_cast<u8>(game >> 8);
            recording[37] = static_cast<u8>(game);
        }
        recording.resize(recording.size() + 100000); // untouched controls for longer than it plays
        write_bytes(take, recording);
        for (const char* item : {"LOOP", "GENERATE", "SOUNDS.WAV", "SOUNDS.MIDI", "SOUNDS.SMUS"})
            request(std::string("MENU MACRO.") + item);
        request("DEBUGGER G");
        request("OPEN " + take.string());
        for (const std::string& line : during)
            request(line);
        ASSERT_NO_FATAL_FAILURE(run_frames(frames));
        if (heard) {
            ASSERT_TRUE(wait_until(heard)) << log();
        }
        request("MENU MACRO.STOP");
        request("QUIT");
        ASSERT_EQ(wait_exit(), 0) << log();
    }
    // The WAV's samples (after the header), and its rate.
    std::vector<u8> wav_samples() {
        const std::vector<u8> wav = read_bytes(home.path() / "take.wav");
        EXPECT_GT(wav.size(), 44u);
        if (wav.size() <= 44) return {};
        EXPECT_EQ(u32(wav[24] | wav[25] << 8 | wav[26] << 16), RATE);
        return {wav.begin() + 44, wav.end()};
    }
};

class EveryVoiceKind : public VoiceKeys, public ::testing::WithParamInterface<VoiceKind> {};

// A change the guest makes during a frame reaches the output at the frame's
// end: a note of frames [s, e) sounds in the WAV over frames [s + 1, e + 1)
// (one the playback begins with, from its first sample). Its middle part
// sounds at the note's key, and where no note sounds the WAV is silent.
TEST_P(EveryVoiceKind, EachNoteIsAtTheKeyTheWavSoundsForAsLongAsItSounds) {
    const VoiceKind& kind = GetParam();
    ASSERT_NO_FATAL_FAILURE(play(kind.setup, kind.game, kind.during, kind.frames));
    const std::vector<u8> mid = read_bytes(home.path() / "take.mid");
    ASSERT_GT(mid.size(), 14u);
    const double fps = 2.0 * mid[13]; // ticks a quarter note, 120 a minute
    u32 end = 0;
    const std::vector<PassNote> notes = midi_pass_notes(mid, &end);
    const std::vector<u8> wav = wav_samples();
    ASSERT_FALSE(wav.empty());
    const double per_frame = RATE / fps;
    const auto sample = [&](double frame) {
        return std::min(wav.size(), static_cast<std::size_t>(std::max(0.0, frame * per_frame)));
    };
    std::vector<bool> sounds(wav.size(), false);
    int measured = 0;
    std::string faults; // the first few
    const auto fault = [&faults](const std::string& text) {
        if (std::count(faults.begin(), faults.end(), '\n') < 5) faults += text + "\n";
    };
    for (const auto& [start, stop, voice, key, velocity] : notes) {
        const std::string note = "key " + std::to_string(key) + " of voice " +
                                 std::to_string(voice) + ", frames " + std::to_string(start) + "-" +
                                 std::to_string(stop);
        if (voice != kind.voice) fault("another voice's note: " + note);
        if (stop == start) fault("a note that lasts no frame: " + note);
        for (std::size_t i = sample(start - 1.0); i < sample(stop + 2.0); i++)
            sounds[i] = true;
        const std::size_t from = sample(start + 1.1), to = sample(stop + 0.9);
        if (to <= from + 64) continue; // ends with the recording, or lasts no frame
        const std::vector<u8> part(wav.begin() + static_cast<long>(from),
                                   wav.begin() + static_cast<long>(to));
        const double f = kind.noise ? noise_frequency(part, RATE) : square_frequency(part, RATE);
        if (!(f > 0.0) || std::fabs(key - pitch_of(f)) > 0.6)
            fault(note + ": the WAV sounds " + std::to_string(f) + " Hz, key " +
                  std::to_string(pitch_of(f)));
        measured++;
    }
    EXPECT_EQ(faults, "");
    EXPECT_GT(measured, 0) << "no note to measure";
    std::size_t loud = 0;
    for (std::size_t i = 0; i < wav.size(); i++)
        loud += !sounds[i] && wav[i] != 128;
    EXPECT_EQ(loud, 0u) << "samples that sound where no note is";

    // The SMUS score holds the same notes.
    const std::vector<PassNote> scored =
        smus_pass_notes(read_bytes(home.path() / "take.smus"), &end);
    const auto same = [](const PassNote& a, const PassNote& b) {
        return std::get<0>(a) == std::get<0>(b) && std::get<1>(a) == std::get<1>(b) &&
               std::get<3>(a) == std::get<3>(b);
    };
    const auto differ =
        std::mismatch(notes.begin(), notes.end(), scored.begin(), scored.end(), same);
    EXPECT_TRUE(differ.first == notes.end() && differ.second == scored.end())
        << "the SMUS score's notes differ from note " << differ.first - notes.begin() << " of "
        << notes.size() << " on (" << scored.size() << " in the score)";
}

INSTANTIATE_TEST_SUITE_P(Machines, EveryVoiceKind, ::testing::ValuesIn(KINDS),
                         [](const ::testing::TestParamInfo<VoiceKind>& info) {
                             return info.param.name;
                         });

// The magnitude of frequency `f` in the samples (a single-bin DFT).
double magnitude(const std::vector<double>& s, double rate, double f) {
    double re = 0.0, im = 0.0;
    for (std::size_t i = 0; i < s.size(); i++) {
        const double phase = 2.0 * M_PI * f * static_cast<double>(i) / rate;
        re += s[i] * std::cos(phase);
        im += s[i] * std::sin(phase);
    }
    return std::hypot(re, im) / static_cast<double>(s.size());
}

// The live output's 16-bit mono samples (44100 a second) in the file `raw`.
std::vector<double> live_samples(const std::vector<u8>& raw) {
    std::vector<double> heard;
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
        heard.push_back(static_cast<std::int16_t>(raw[i] | raw[i + 1] << 8));
    return heard;
}

// Where the first fifth of a second of `heard` begins that lies a tenth of a
// second or more after its first loud sample and holds no quiet run of 10 ms
// (a host that held the program up leaves such runs, which LoopedMusic
// judges): -1 while there is none.
long steady_fifth(const std::vector<double>& heard) {
    const auto loud =
        std::find_if(heard.begin(), heard.end(), [](double x) { return std::abs(x) > 100; });
    if (loud == heard.end()) return -1;
    std::size_t from = static_cast<std::size_t>(loud - heard.begin()) + 4410, quiet = 0;
    for (std::size_t i = from; i < heard.size(); i++) {
        quiet = std::abs(heard[i]) < 50 ? quiet + 1 : 0;
        if (quiet >= 441)
            from = i + 1;
        else if (i + 1 - from >= 44100 / 5)
            return static_cast<long>(from);
    }
    return -1;
}

} // namespace

// The expanded Elektor's two PSGs sound six tones at once, all at their
// loudest: the WAV and the live output (captured by SDL's disk driver) hold
// every one of them as loud as the others, neither clips, and the MIDI file
// holds each at its key.
TEST_F(VoiceKeys, SixToneVoicesAtOnceAreAllInTheWav) {
    const fs::path live = home.path() / "live.raw";
    audio = "disk";
    setenv("SDL_DISKAUDIOFILE", live.c_str(), 1);
    const u16 periods[6] = {0x064, 0x082, 0x0A0, 0x0BE, 0x0DC, 0x0FA};
    std::vector<std::string> setup = machine_with("SETMACHINE ELEKTOR", 0x0900, STAY);
    char line[40];
    for (int v = 0; v < 6; v++) {
        const int chip = 0x1D00 + 16 * (v / 3), channel = v % 3;
        std::snprintf(line, sizeof line, "DEBUGGER E $%04X $%02X", chip + 2 * channel,
                      periods[v] & 0xFF);
        setup.push_back(line);
        std::snprintf(line, sizeof line, "DEBUGGER E $%04X $%02X", chip + 8 + channel, 15);
        setup.push_back(line);
    }
    setup.insert(setup.end(), {"DEBUGGER E $1D07 $38", "DEBUGGER E $1D17 $38"});
    // Played on until the live output holds what is measured below.
    const auto heard_enough = [&live] { return steady_fifth(live_samples(read_bytes(live))) >= 0; };
    ASSERT_NO_FATAL_FAILURE(play(setup, -1, {}, 90, heard_enough));
    unsetenv("SDL_DISKAUDIOFILE");
    u32 end = 0;
    const std::vector<PassNote> notes = midi_pass_notes(read_bytes(home.path() / "take.mid"), &end);
    const std::vector<u8> all = wav_samples();
    ASSERT_GT(all.size(), RATE);
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](u8 x) { return x == 0 || x == 255; }), 0)
        << "samples of the WAV clipped";
    // A fifth of a second from the middle: wide enough a band to hold each
    // tone as the WAV's whole samples make it.
    std::vector<double> wav;
    for (auto at = all.begin() + RATE / 2; at < all.begin() + RATE / 2 + RATE / 5; ++at)
        wav.push_back(*at - 128.0);
    double loudest = 0.0, level[6];
    for (int v = 0; v < 6; v++) {
        const double f = 110837.0 / periods[v]; // the PSGs' tone clock
        level[v] = magnitude(wav, RATE, f);
        loudest = std::max(loudest, level[v]);
        const auto note = std::find_if(notes.begin(), notes.end(),
                                       [v](const PassNote& n) { return std::get<2>(n) == 3 + v; });
        ASSERT_NE(note, notes.end()) << "voice " << 3 + v << " in the MIDI file";
        EXPECT_NEAR(std::get<3>(*note), pitch_of(f), 0.5) << "voice " << 3 + v;
    }
    for (int v = 0; v < 6; v++)
        EXPECT_GT(level[v], loudest / 2)
            << "voice " << 3 + v << " (" << 110837.0 / periods[v] << " Hz) in the WAV";

    // Live: a fifth of a second heard whole, from a tenth after the first
    // loud sample on.
    const std::vector<double> heard = live_samples(read_bytes(live));
    EXPECT_EQ(std::count_if(heard.begin(), heard.end(),
                            [](double x) { return x <= -32768 || x >= 32767; }),
              0)
        << "samples heard clipped";
    const long from = steady_fifth(heard);
    ASSERT_GE(from, 0) << "the tones played live";
    const std::vector<double> part(heard.begin() + from, heard.begin() + from + 44100 / 5);
    // Live sound that a late host had the program catch up on is retuned a
    // little: each tone is taken at its strongest within 3% of its pitch.
    double loudest_live = 0.0, live_level[6];
    for (int v = 0; v < 6; v++) {
        const double pitch = 110837.0 / periods[v];
        live_level[v] = 0.0;
        for (double f = pitch * 0.97; f <= pitch * 1.03; f += 1.0)
            live_level[v] = std::max(live_level[v], magnitude(part, 44100, f));
        loudest_live = std::max(loudest_live, live_level[v]);
    }
    for (int v = 0; v < 6; v++)
        EXPECT_GT(live_level[v], loudest_live / 2)
            << "voice " << 3 + v << " (" << 110837.0 / periods[v] << " Hz) heard live";
}
