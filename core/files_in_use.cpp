#include "core/files_in_use.h"

#include <array>
#include <cerrno>

namespace {
constexpr int USES = static_cast<int>(FileUse::count);
std::vector<FileUseLister> listers[USES];
// Per use, the unit whose own write runs now (FileUseOwnWrite::NONE: none;
// ANY_UNIT: all of the use's).
std::array<int, USES> own_write = [] {
    std::array<int, USES> none;
    none.fill(FileUseOwnWrite::NONE);
    return none;
}();

// Whether `f`, a file of `use`, is being written by its own holder now.
bool written_by_its_own(int use, const FileInUse& f) {
    const int own = own_write[use];
    return own == FileUseOwnWrite::ANY_UNIT || (own >= 0 && own == f.unit);
}

// Where a file not there yet would be: its folder (by identity) and its name.
struct Place {
    FileIdentity folder;
    std::string name;
};
Place place_of(const std::string& host) {
    const std::size_t slash = host.rfind('/');
    if (slash == std::string::npos) return {file_identity_at("."), host};
    return {file_identity_at(slash == 0 ? "/" : host.substr(0, slash)), host.substr(slash + 1)};
}
bool same_place(const Place& a, const Place& b) {
    return !a.name.empty() && a.name == b.name && file_identity_same(a.folder, b.folder);
}
} // namespace

void files_in_use_add(FileUse use, FileUseLister lister) {
    listers[static_cast<int>(use)].push_back(lister);
}

void files_in_use_clear() {
    for (auto& l : listers)
        l.clear();
}

std::string file_in_use(const std::string& host) {
    const FileIdentity at = file_identity_at(host);
    if (!at.known && at.error != ENOENT) return "";
    const Place place = at.known ? Place{} : place_of(host);
    std::vector<FileInUse> held;
    for (int use = 0; use < USES; use++) {
        held.clear();
        for (FileUseLister list : listers[use])
            list(&held);
        for (const FileInUse& f : held) {
            if (written_by_its_own(use, f)) continue;
            if (at.known ? file_identity_same(f.id, at)
                         : !f.id.known && !f.path.empty() && same_place(place_of(f.path), place))
                return f.what;
        }
    }
    return "";
}

namespace {
constexpr FileUse MEDIA[] = {FileUse::tape, FileUse::papertape, FileUse::disk, FileUse::mdcr};

// The medium holding the file `at` (its use and entry), false when none.
bool medium_holding(const FileIdentity& at, FileUse* use, FileInUse* holder) {
    std::vector<FileInUse> held;
    for (FileUse u : MEDIA) {
        held.clear();
        for (FileUseLister list : listers[static_cast<int>(u)])
            list(&held);
        for (FileInUse& f : held) {
            if (!file_identity_same(f.id, at)) continue;
            *use = u;
            *holder = std::move(f);
            return true;
        }
    }
    return false;
}
} // namespace

std::string medium_holds_already(const std::string& host, FileUse use, int unit) {
    const FileIdentity at = file_identity_at(host);
    FileUse holder_use = FileUse::count;
    FileInUse holder("", {});
    if (!at.known || !medium_holding(at, &holder_use, &holder)) return "";
    if (holder_use == use && (unit < 0 || holder.unit == unit)) return "";
    return "Can't insert " + host + ": it is already " + holder.what + ".";
}

int medium_unit_holding(const std::string& host, FileUse use) {
    const FileIdentity at = file_identity_at(host);
    FileUse holder_use = FileUse::count;
    FileInUse holder("", {});
    if (!at.known || !medium_holding(at, &holder_use, &holder) || holder_use != use) return -1;
    return holder.unit < 0 ? 0 : holder.unit;
}

FileUseOwnWrite::FileUseOwnWrite(FileUse use, int unit)
    : use_(use), was_(own_write[static_cast<int>(use)]) {
    own_write[static_cast<int>(use)] = unit;
}

FileUseOwnWrite::~FileUseOwnWrite() {
    own_write[static_cast<int>(use_)] = was_;
}
