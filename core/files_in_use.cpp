#include "core/files_in_use.h"

namespace {
constexpr int USES = static_cast<int>(FileUse::count);
std::vector<FileUseLister> listers[USES];
bool own_write[USES] = {};
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
    if (!at.known) return "";
    std::vector<FileInUse> held;
    for (int use = 0; use < USES; use++) {
        if (own_write[use]) continue;
        held.clear();
        for (FileUseLister list : listers[use])
            list(&held);
        for (const FileInUse& f : held)
            if (file_identity_same(f.id, at)) return f.what;
    }
    return "";
}

FileUseOwnWrite::FileUseOwnWrite(FileUse use)
    : use_(use), was_(own_write[static_cast<int>(use)]) {
    own_write[static_cast<int>(use)] = true;
}

FileUseOwnWrite::~FileUseOwnWrite() {
    own_write[static_cast<int>(use_)] = was_;
}
