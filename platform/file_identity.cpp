#include "platform/file_identity.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

FileIdentity from_stat(int result, const struct stat& st) {
    FileIdentity id;
    if (result != 0) {
        id.error = errno;
        return id;
    }
    id.known = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.written_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

std::string with_reason(const char* what, int error) {
    return std::string(what) + " (" + std::strerror(error) + ")";
}

} // namespace

FileIdentity file_identity_at(const std::string& host) {
    struct stat st {};
    const int result = ::stat(host.c_str(), &st);
    return from_stat(result, st);
}

FileIdentity file_identity_of(int fd) {
    struct stat st {};
    const int result = ::fstat(fd, &st);
    return from_stat(result, st);
}

bool file_identity_same(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.device == b.device && a.inode == b.inode;
}

FileFate file_identity_fate(const std::string& host, const FileIdentity& held,
                            bool compare_contents, int* error) {
    *error = 0;
    if (!held.known) {
        *error = held.error;
        return FileFate::unknown;
    }
    const FileIdentity now = file_identity_at(host);
    if (!now.known) {
        *error = now.error;
        return now.error == ENOENT || now.error == ENOTDIR ? FileFate::removed
                                                           : FileFate::unreachable;
    }
    if (!file_identity_same(now, held)) return FileFate::replaced;
    if (compare_contents && (now.size != held.size || now.written_ns != held.written_ns))
        return FileFate::changed;
    return FileFate::same;
}

std::string file_identity_change(const std::string& host, const FileIdentity& held,
                                 bool compare_contents) {
    int error = 0;
    switch (file_identity_fate(host, held, compare_contents, &error)) {
    case FileFate::unknown: return with_reason("can't be read", error);
    case FileFate::removed: return "was removed since it went in";
    case FileFate::unreachable: return with_reason("can't be found", error);
    case FileFate::replaced: return "was replaced by another file since it went in";
    case FileFate::changed: return "was changed since it went in";
    case FileFate::same: break;
    }
    return "";
}

std::string file_identity_warning(const char* lead, const std::string& host,
                                  const std::string& what) {
    return std::string(lead) + ": its file " + host + " " + what + ".";
}

std::string file_identity_refusal(const char* lead, const std::string& host,
                                  const FileIdentity& held) {
    const std::string what = file_identity_change(host, held, true);
    return what.empty() ? "" : file_identity_warning(lead, host, what);
}
