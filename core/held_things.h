// What the program holds for the user and the outputs it has in progress:
// the changed disks and MDCR tape, the papertapes, the cassette, the
// recorders' files, the printers' pages. Every way out walks this one list
// and treats them alike: the window's Quit, the port's QUIT, the debugger's
// SYS (typed or sent from the port), a signal, the display going away, a
// machine switch, Reinitialize and OPEN of another file. Each way out names
// what it cannot finish (held_lost: what ending now loses; the quit window
// also shows held_running) and finishes every output in progress
// (held_finish), whose failures are named where the way out reports: in the
// port command's reply, on the console, in the quit notice. A holder adds
// itself here once (app_install_hooks); no way out lists them on its own.
//
//   held_things_add({"printer pages", nullptr, pages_running, printer_finish_pages, true});
//   for (const std::string& clause : held_lost()) ...   // "Changed disks not saved: ..."
//   held_finish(HeldScope::program);                     // at the end of the program
#pragma once

#include <string>
#include <vector>

// How far a way out reaches: the end of the program, or the machine going
// (a switch, Reinitialize, a load that sets the machine up again).
enum class HeldScope { program, machine };

struct HeldThing {
    const char* name; // "papertapes", for a test's row and a message
    // What ending the program now would lose of it, one clause ("Papertapes
    // not back in their files: unit 0 (\"k.pap\")"); "" when nothing. May be null.
    std::string (*lost)();
    // Its outputs in progress, one clause ("tape deck (\"song.wav\")"); ""
    // when none. May be null.
    std::string (*running)();
    // Finishes its outputs in progress (a recording closed, a half printed
    // page saved, a punched tape written back); a failure is said as every
    // warning is. May be null (what it holds is named, never written unasked).
    void (*finish)();
    bool with_machine; // finished too when the machine goes (HeldScope::machine)
    // What of it the autosave written on the way out carries into the next
    // start, one clause as `lost` gives it ("Changed disks not saved: drive 0
    // (\"work.raw\")"), asked only when that autosave will be written (then
    // `lost` leaves it out); "" when nothing. May be null.
    std::string (*kept)() = nullptr;
    // What its last finish saved, one clause ("page 1 of the printer saved as
    // \"/…/Printer-1.ilbm\" and \"/…/Printer.txt\""), for the reply of the port's
    // QUIT; "" when nothing. May be null.
    std::string (*finished)() = nullptr;
    // What of it the older autosave brings back into the next start, as it
    // was when that autosave was written, when the one due now could not be
    // written (held_older_autosave): one clause as `lost` gives it (then
    // `lost` leaves it out); "" when nothing. May be null.
    std::string (*kept_older)() = nullptr;
    // Finished before the way out names what it loses and writes the
    // autosave (held_finish_first): whether it is lost or kept is known only
    // once its finishing was tried.
    bool finish_first = false;
    // What of it is kept for the next start apart from the autosave, whatever
    // becomes of it: one clause that says where ("Printed pages not saved:
    // page 1 of the printer; kept in \"…/AUTOSAVE.PAGES\" for the next start"),
    // then `lost` leaves it out; "" when nothing. May be null.
    std::string (*kept_apart)() = nullptr;
    // Finishes its outputs when the machine goes (HeldScope::machine), in
    // place of `finish`: there is no way out after it to name what it could
    // not finish, so it names that itself. May be null (`finish` is used).
    void (*finish_with_machine)() = nullptr;
};

void held_things_add(const HeldThing& thing);
// Forgets every holder (the application adds them again).
void held_things_clear();
const std::vector<HeldThing>& held_things();

// The clauses of held_lost and held_running of every holder that has one.
std::vector<std::string> held_lost();
std::vector<std::string> held_running();
// The clauses of `kept` of every holder, when the way out that ends the
// program writes the autosave; none otherwise. Each is said followed by
// held_kept_words.
std::vector<std::string> held_kept();
// The clauses of `kept_apart` of every holder, each said as it stands.
std::vector<std::string> held_kept_apart();
// The clauses of `finished` of every holder (after held_finish).
std::vector<std::string> held_finished();
extern const char* const held_kept_words; // "the autosave keeps them for the next start"

// Whether ending the program now writes the autosave (the application's
// answer, installed once; none installed: no).
void held_set_autosave_check(bool (*writes)());
bool held_autosave_written();

// The autosave the next start resumes in place of the one this way out could
// not write (its name in the program's form), "" when it was written, is not
// due, or nothing there is a state this version reads (the application's
// answer, installed once; none installed: ""). The clauses of `kept_older`
// of every holder while there is one; each is said followed by
// held_kept_older_words.
void held_set_older_autosave(std::string (*older)());
std::string held_older_autosave();
std::vector<std::string> held_kept_older();
// "the older autosave \"<file>\" keeps them as they were when it was written"
std::string held_kept_older_words();
// What the holders that the autosave was to keep (`kept`) lose once it was
// not written: their `lost` clauses followed by "they are dropped", then
// what the older autosave keeps; "" when nothing.
std::string held_unkept_text();

// A way out says that the autosave keeps something only once it is written:
// held_keep writes it now when held_kept names anything, and answers "" when
// it was written or nothing is kept, else why it was not ("Autosave not
// written (...)..."), after which held_kept names nothing and held_lost names
// what it was to keep. held_keep_forget: the way out was not taken after all
// (the user stayed), the next one writes it afresh. Installed by the
// application; none installed: nothing is written ahead.
void held_set_keeper(std::string (*keep)(), void (*forget)());
std::string held_keep();
void held_keep_forget();

// Names what is held (held_lost), if anything, on the console and in the
// reply of a running command of the port, followed by `what` ("they are
// dropped"), then what the autosave keeps (held_kept), once held_keep wrote it.
void held_report_lost(const char* what);

// Every output in progress within `scope` finished, in the order the
// holders were added; at the end of the program those finished first
// (held_finish_first) are not finished again.
void held_finish(HeldScope scope);
// The holders that finish first finished, once per way out (until
// held_keep_forget: the user stayed).
void held_finish_first();
// Names, as held_report_lost does, what is lost and what is kept that no
// report named yet on this way out (what a finishing tried after the
// question could not save, or kept: the notice of a Quit from the window).
void held_report_unnamed_lost(const char* what);
