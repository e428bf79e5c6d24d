// The keeper of the settings a run sets and the user sets too, walked over
// its own list: a value is the user's only where the path that set it marked
// it so, whatever value it picked.
#include "core/user_prefs.h"

#include "core/settings.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

using Bytes = std::array<unsigned char, 4>;

Bytes read(const PrefsKept& k) {
    Bytes v{};
    std::memcpy(v.data(), k.at, k.size);
    return v;
}

// The small number `n` at the setting, whatever its width.
void write(const PrefsKept& k, unsigned char n) {
    Bytes v{};
    v[0] = n;
    std::memcpy(k.at, v.data(), k.size);
}

bool listed(const std::string& keys, const std::string& key) {
    return ("," + keys + ",").find("," + key + ",") != std::string::npos;
}

// Each kept setting as a file held it (1), with nothing chosen.
void start_from_file() {
    for (std::size_t i = 0; i < prefs_kept_count(); i++)
        write(prefs_kept(i), 1);
    prefs_read_chosen_keys("");
    prefs_take_user_choice();
}

} // namespace

TEST(UserPrefs, EverySettingKeptKnowsWhoSetIt) {
    ASSERT_GT(prefs_kept_count(), 0u);
    for (std::size_t i = 0; i < prefs_kept_count(); i++) {
        const PrefsKept& k = prefs_kept(i);
        SCOPED_TRACE(k.key);
        start_from_file();
        // A load sets 2; the user picks 2 as well; the next load sets 0.
        {
            const PrefsForRun load;
            write(k, 2);
            prefs_user_chose(k.at); // inside a load: the load's value
        }
        EXPECT_FALSE(listed(prefs_chosen_keys(), k.key)) << "a load's value taken as chosen";
        write(k, 2);
        prefs_user_chose(k.at);
        {
            const PrefsForRun load;
            write(k, 0);
        }
        EXPECT_EQ(read(k)[0], 0) << "the load's value does not run";
        {
            const PrefsUserChoice written;
            EXPECT_EQ(read(k)[0], 2) << "the user's pick is not what is written";
        }
        EXPECT_EQ(read(k)[0], 0);
        EXPECT_TRUE(listed(prefs_chosen_keys(), k.key));
        // Once chosen, a set-up's own value gives way, also after a restart.
        prefs_read_chosen_keys(prefs_chosen_keys());
        EXPECT_FALSE(prefs_setup_may_set(k.at));

        // A change no path marked (the program keeping a value in range) holds
        // for the run only; a switch puts the user's own back.
        start_from_file();
        write(k, 3);
        {
            const PrefsUserChoice written;
            EXPECT_EQ(read(k)[0], 1) << "an unmarked change is written";
        }
        {
            const PrefsForRun another_machine;
            prefs_end_run();
            EXPECT_EQ(read(k)[0], 1);
        }
        EXPECT_TRUE(prefs_setup_may_set(k.at));
    }

    prefs_reset(); // the next test's clean start resets the settings themselves
}

// A kept setting's line in the settings file holding another value than its
// default, as typed in by hand, is the user's choice, as if userchosen= named
// it: a set-up's own value gives way to it. Its default typed there is none.
TEST(UserPrefs, AValueTypedIntoTheSettingsFileIsTheUsersChoice) {
    const std::string& defaults = fresh_settings_defaults();
    for (std::size_t i = 0; i < prefs_kept_count(); i++) {
        const PrefsKept& k = prefs_kept(i);
        SCOPED_TRACE(k.key);
        ASSERT_TRUE(ini_read_text(defaults));
        const unsigned char standard = read(k)[0];
        // A small value other than the default that the setting's range takes.
        std::string typed;
        for (unsigned char other : {0, 1, 2}) {
            if (other == standard) continue;
            write(k, other);
            prefs_take_user_choice();
            typed = ini_write_text(); // its line, nothing chosen
            ASSERT_EQ(typed.find("userchosen="), std::string::npos);
            ASSERT_TRUE(ini_read_text(defaults));
            EXPECT_EQ(prefs_chosen_keys(), "");
            ini_read_text(typed);
            if (read(k)[0] == other) break;
        }
        EXPECT_NE(read(k)[0], standard) << "no other value taken";
        EXPECT_EQ(prefs_chosen_keys(), k.key);
        EXPECT_FALSE(prefs_setup_may_set(k.at));
    }
    ASSERT_TRUE(ini_read_text(defaults));
    prefs_reset();
}

// The stretch is kept per kind of machine (1: starts narrow, 2: wide): a pick
// of the width a switch set is the user's choice for that kind, which a
// machine of the other kind writes as "otherwidth"; a pick inside a run is not.
TEST(UserPrefs, TheStretchIsChosenPerKindOfMachine) {
    for (const unsigned kind : {1u, 2u}) {
        SCOPED_TRACE(kind);
        const unsigned other = 3 - kind;
        prefs_forget_stretches();
        {
            const PrefsForRun load;
            prefs_user_chose_stretch(kind, other);
        }
        EXPECT_EQ(prefs_other_kind_stretch(other), 0u);
        prefs_user_chose_stretch(kind, kind); // the machine's own width
        EXPECT_EQ(prefs_other_kind_stretch(other), kind);
        EXPECT_EQ(prefs_take_stretch(kind), kind);
        EXPECT_EQ(prefs_take_stretch(other), 0u);
        // Read from a file: "width" for the next switch's machine.
        prefs_stretch_read(other, kind);
        EXPECT_EQ(prefs_other_kind_stretch(other), kind) << "before the switch";
        EXPECT_EQ(prefs_take_stretch(kind), other);
        EXPECT_EQ(prefs_take_stretch(other), kind);
    }
    prefs_forget_stretches();
}
