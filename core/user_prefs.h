// The one keeper of the settings that a run sets for itself and the user
// sets too (a game's paddles, a state's monitor and video standard, a
// machine's own defaults, a board's switches): each is kept next to the
// user's own choice of it, which is what the settings file gets.
//
// The rule: a value is the user's only when the path that set it says so.
// Every way a user sets one (a command through the command table's
// dispatcher or its own action, a window, the debugger's commands, the
// guest's console buttons, keys) calls prefs_user_chose after it set the
// value, even where it picks the value that runs already; nothing is told by
// comparing values. Whatever else sets one (a load, a machine switch or its
// set-up, a playback's frame, the program keeping a value in range) sets it
// for the run only; inside a PrefsForRun even a user's path counts so.
//
// Once the user has chosen one of them, the choice wins over a machine's
// set-up's own value from then on, across restarts too (the settings file
// lists the chosen keys): a set-up sets its own values through
// prefs_setup_value, which gives way to the user's. The settings file is a
// user's path too: a value typed into it by hand (one other than the
// setting's default) is chosen as if listed. A reset to defaults gives the
// choice back (prefs_give_back).
//
// Usage: a load or switch holds a PrefsForRun while it sets up; the settings
// walk holds a PrefsUserChoice while it writes, and calls
// prefs_take_user_choice() after it read a file.
#pragma once

#include <cstddef>
#include <string>

// One kept setting: its variable, whatever its width, and its key in the
// settings file.
struct PrefsKept {
    void* at;
    std::size_t size;
    const char* key;
};
// The kept settings, in the keeper's own order (test support: the rows of
// the keeper's table test).
std::size_t prefs_kept_count();
const PrefsKept& prefs_kept(std::size_t i);

// While one lives, what changes in the kept settings holds for what runs and
// is not the user's choice. Nests: the outermost one counts.
class PrefsForRun {
  public:
    explicit PrefsForRun(bool active = true);
    ~PrefsForRun();
    PrefsForRun(const PrefsForRun&) = delete;
    PrefsForRun& operator=(const PrefsForRun&) = delete;

  private:
    bool active_;
};

// While one lives, the kept settings hold the user's own choices; then what
// runs is put back.
class PrefsUserChoice {
  public:
    explicit PrefsUserChoice(bool active = true);
    ~PrefsUserChoice();
    PrefsUserChoice(const PrefsUserChoice&) = delete;
    PrefsUserChoice& operator=(const PrefsUserChoice&) = delete;

  private:
    bool active_;
};

// What the kept settings hold now (just read from a settings file) is the
// user's own choice.
void prefs_take_user_choice();
// Nothing chosen and no user's values yet: what holds when the next load,
// switch or settings write begins is taken as the user's own (a start that
// read no settings file; the tests' clean start).
void prefs_reset();

// What ran before ends (a switch to another machine or memory map): inside a
// PrefsForRun, every kept setting the load or switch under way has not set
// takes the user's own choice again, so that the machine to come sets up
// from the user's settings and not from those the run before left.
void prefs_end_run();

// The user has just chosen the kept setting at `at` (what it holds now),
// whatever the value; inside a PrefsForRun, or for a setting not kept,
// nothing happens.
void prefs_user_chose(const void* at);
// The user gives the choice of the kept setting at `at` back (a "Reset to
// defaults"): it is no longer chosen, the user's own value is its default
// again, and a machine's set-up sets its own value from then on. What runs is
// the caller's to set. Inside a PrefsForRun nothing happens.
void prefs_give_back(const void* at);
// Whether the user has chosen the kept setting at `at`.
bool prefs_is_chosen(const void* at);
// Whether a machine's set-up may set the kept setting at `at` for its run:
// not once the user has chosen it (any setting not kept: yes).
bool prefs_setup_may_set(const void* at);
// A machine's set-up offers `value` (a T) for the kept setting at `at`: kept
// as the run's own value (prefs_run_own), and whether it may set it.
bool prefs_setup_offers(const void* at, const void* value);
// A machine's set-up's own value for a setting: it holds for this run, unless
// the user has chosen one.
template <typename T, typename V> void prefs_setup_value(T& setting, V value) {
    const T own = static_cast<T>(value);
    if (prefs_setup_offers(&setting, &own)) setting = own;
}
// The value the running machine's set-up offered for the kept setting at
// `at` (what runs once the user gives the choice back), put at `value`;
// false when it offered none.
bool prefs_run_own(const void* at, void* value);
// The keys of the settings the user has chosen, comma-separated, as the
// settings file keeps them.
std::string prefs_chosen_keys();
// After a settings file was read (prefs_take_user_choice): the chosen keys
// are those `keys` (its userchosen= line) names, read as a person types them
// (blanks around the names, any letter case, empty names passed over), and
// every kept setting whose line the file held (`in_file`, if given) with a
// value other than the setting's default: a value typed in by hand. Returns
// the names in `keys` that name no kept setting, as typed.
std::string prefs_read_chosen_keys(const std::string& keys,
                                   bool (*in_file)(const char* key) = nullptr);

// The user's own paddle sensitivities, "analog" and "swapped" in effect
// again, for a program that brings none of its own.
void prefs_restore_paddles();

// The horizontal stretch ("Narrow?") is kept per kind of machine (`kind`: 1
// for those that start narrow, 2 for those that start wide; a stretch of 0:
// none chosen). What runs is set by a switch from the user's choice for the
// new machine's kind; only the user's picks are choices.
// The user picked `stretch` on a machine of kind `kind`.
void prefs_user_chose_stretch(unsigned kind, unsigned stretch);
// The settings file's choices: "width" for the machine the next switch (the
// start-up's) sets up, "otherwidth" for the other kind.
void prefs_stretch_read(unsigned stretch, unsigned other_kind);
// At a switch to a machine of kind `kind`: the file's choices are placed by
// it, and the user's choice for the kind is returned (0: none).
unsigned prefs_take_stretch(unsigned kind);
// The choice kept for the kind other than `kind`, as "otherwidth" holds it.
unsigned prefs_other_kind_stretch(unsigned kind);
// No stretch chosen, none read (the defaults' width is no one's choice).
void prefs_forget_stretches();
