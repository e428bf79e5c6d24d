#include "platform/paths.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// An environment value, or empty when unset or empty.
static std::string env_value(const char* key) {
    const char* v = std::getenv(key);
    return v ? std::string(v) : std::string();
}

static std::string strip_trailing_slashes(std::string p) {
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

static std::string user_home() {
    std::string home = env_value("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0]) return pw->pw_dir;
    return ".";
}

std::string path_progdir() {
    std::string home = env_value("BRINDLEMOX_HOME");
    if (!home.empty()) return strip_trailing_slashes(home);
    // Relative XDG values are invalid and ignored.
    std::string data = env_value("XDG_DATA_HOME");
    if (!data.empty() && data[0] == '/') return strip_trailing_slashes(data) + "/brindlemox";
    return strip_trailing_slashes(user_home()) + "/.local/share/brindlemox";
}

std::string path_ram() {
    std::string run = env_value("XDG_RUNTIME_DIR");
    if (!run.empty() && run[0] == '/') return strip_trailing_slashes(run);
    return "/tmp";
}

bool path_ram_is_private() {
    struct stat st;
    return stat(path_ram().c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           !(st.st_mode & (S_IWGRP | S_IWOTH));
}

static bool volume_is(std::string_view volume, std::string_view wanted) {
    if (volume.size() != wanted.size()) return false;
    for (size_t i = 0; i < volume.size(); i++) {
        char c = volume[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != wanted[i]) return false;
    }
    return true;
}

static std::string join(const std::string& folder, std::string_view rest) {
    while (!rest.empty() && rest.front() == '/')
        rest.remove_prefix(1);
    if (rest.empty()) return folder;
    if (folder == "/") return "/" + std::string(rest);
    return folder + "/" + std::string(rest);
}

const char* path_file_part(const char* name) {
    const char* part = name;
    for (const char* p = name; *p; p++)
        if (*p == '/' || *p == ':') part = p + 1;
    return part;
}

std::string path_folder_of(std::string_view name) {
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(path_to_host(name), ec);
    return ec ? std::string() : whole.parent_path().string();
}

std::string path_absolute(const std::string& name) {
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(name, ec);
    return ec ? name : whole.lexically_normal().string();
}

std::string path_to_host(std::string_view name) {
    // A volume name is everything before the first colon, when no slash precedes it.
    size_t colon = name.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::string(name);
    std::string_view volume = name.substr(0, colon);
    if (volume.find('/') != std::string_view::npos) return std::string(name);
    std::string_view rest = name.substr(colon + 1);
    if (volume_is(volume, "PROGDIR")) return join(path_progdir(), rest);
    if (volume_is(volume, "RAM")) return join(path_ram(), rest);
    return std::string(name);
}

static bool is_dir(const std::string& p) {
    struct stat st;
    return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool path_make_dirs(const std::string& dir) {
    if (dir.empty()) return false;
    if (is_dir(dir)) return true;
    // Walk the components and create each one that is missing.
    for (size_t pos = 1; pos <= dir.size(); pos++) {
        if (pos != dir.size() && dir[pos] != '/') continue;
        std::string part = dir.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return is_dir(dir);
}

bool path_make_progdir() {
    return path_make_dirs(path_progdir());
}

void path_fix_progdir() {
    const std::string home = env_value("BRINDLEMOX_HOME");
    if (home.empty() || home[0] == '/') return;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return;
    setenv("BRINDLEMOX_HOME", join(cwd, home).c_str(), 1);
}

static int lock_fd = -1;
static std::string lock_path;

// Whether the open file `fd` is the file now at `host`: not removed, and not
// replaced by another file of the same name.
static bool is_file_at(int fd, const std::string& host) {
    struct stat open_st, path_st;
    return ::fstat(fd, &open_st) == 0 && ::lstat(host.c_str(), &path_st) == 0 &&
           open_st.st_dev == path_st.st_dev && open_st.st_ino == path_st.st_ino;
}

int path_lock_file(const std::string& host) {
    path_unlock_file();
    // The file can be removed or replaced between the open and the lock; a lock
    // on a file no longer at the path keeps nobody out, so take the new one.
    for (int attempt = 0; attempt < 16; attempt++) {
        const int fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) return -1;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int taken = errno == EWOULDBLOCK ? 0 : -1;
            ::close(fd);
            return taken;
        }
        if (is_file_at(fd, host)) {
            lock_fd = fd;
            lock_path = host;
            return 1;
        }
        ::close(fd);
    }
    return -1;
}

bool path_lock_holds() {
    if (lock_fd < 0) return false;
    if (is_file_at(lock_fd, lock_path)) return true;
    // Removed and nothing in its place: lock a new file there, made by this
    // call alone (O_EXCL), so that another run's file is never taken over.
    struct stat st;
    int fd = -1;
    if (::lstat(lock_path.c_str(), &st) != 0 && errno == ENOENT)
        fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 && is_file_at(fd, lock_path)) {
        ::close(lock_fd);
        lock_fd = fd;
        return true;
    }
    if (fd >= 0) ::close(fd);
    path_unlock_file(); // lost: never taken back, another run may have written since
    return false;
}

void path_unlock_file() {
    if (lock_fd >= 0) ::close(lock_fd);
    lock_fd = -1;
    lock_path.clear();
}

// path_open_regular and the two writing forms: opens `host` with `flags`
// (with O_NOFOLLOW, only a file of this user's is kept).
// O_NONBLOCK keeps the open of a FIFO without the other end from waiting; only
// a regular file is kept, and its reads and writes do not depend on the flag.
static int open_regular(const std::string& host, int flags, unsigned long long* size) {
    // Emptied only once it is known to be a regular file that may be written.
    const int fd = ::open(host.c_str(), (flags & ~O_TRUNC) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return -1;
    struct stat st {};
    int refused = 0;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        refused = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    else if ((flags & O_NOFOLLOW) && st.st_uid != geteuid())
        refused = EACCES; // another user's file in a shared folder
    // A write-protected file is not written, even where the system would let us.
    else if ((flags & O_ACCMODE) != O_RDONLY && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        refused = EACCES;
    else if ((flags & O_TRUNC) && ::ftruncate(fd, 0) != 0)
        refused = errno;
    if (refused) {
        ::close(fd);
        errno = refused;
        return -1;
    }
    if (size) *size = static_cast<unsigned long long>(st.st_size);
    return fd;
}

int path_save_place(const std::string& host) {
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return PATH_SAVE_FREE; // made anew (or the write says why)
    if (S_ISDIR(st.st_mode)) return PATH_SAVE_FOLDER;
    if (!S_ISREG(st.st_mode)) return PATH_SAVE_NOT_FILE;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return PATH_SAVE_READ_ONLY;
    // Permissions of another owner or an access list; a read-only file system
    // is left to the write, which names it.
    if (::faccessat(AT_FDCWD, host.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
        return PATH_SAVE_READ_ONLY;
    return PATH_SAVE_FREE;
}

std::string path_unwritable_folder(const std::string& host) {
    std::string folder = host;
    struct stat st;
    do {
        const std::size_t slash = folder.find_last_of('/');
        if (slash == std::string::npos) return "";
        folder.resize(slash > 0 ? slash : 1);
    } while (::stat(folder.c_str(), &st) != 0 && folder != "/");
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0) return "";
    return errno == EACCES || errno == EROFS || errno == EPERM ? folder : "";
}

const char* path_save_refusal(int place) {
    switch (place) {
    case PATH_SAVE_READ_ONLY: return "Read-only file";
    case PATH_SAVE_FOLDER: return "Is a directory";
    case PATH_SAVE_NOT_FILE: return "Not a regular file";
    default: return "";
    }
}

int path_open_regular(const std::string& host, unsigned long long* size) {
    return open_regular(host, O_RDONLY, size);
}

int path_open_regular_write(const std::string& host, bool append) {
    return open_regular(host, O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), nullptr);
}

int path_open_own_regular_write(const std::string& host, bool append) {
    return open_regular(host, O_WRONLY | O_CREAT | O_NOFOLLOW | (append ? O_APPEND : O_TRUNC),
                        nullptr);
}

std::string path_find_resources(const std::string& exe_dir, const std::string& data_dir) {
    if (!exe_dir.empty()) {
        const std::string dir = strip_trailing_slashes(exe_dir);
        if (is_dir(join(dir, "resources"))) return join(dir, "resources");
        const size_t slash = dir.find_last_of('/');
        if (slash != std::string::npos) {
            const std::string installed = dir.substr(0, slash) + "/share/brindlemox";
            if (is_dir(installed)) return installed;
        }
    }
    if (!data_dir.empty() && is_dir(data_dir)) return strip_trailing_slashes(data_dir);
    return "";
}

#ifndef BRINDLEMOX_DATA_DIR
#define BRINDLEMOX_DATA_DIR ""
#endif

std::string path_resources() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir;
    if (n > 0) {
        dir.assign(exe, static_cast<size_t>(n));
        const size_t slash = dir.find_last_of('/');
        dir = slash == std::string::npos ? std::string() : dir.substr(0, slash ? slash : 1);
    }
    return path_find_resources(dir, BRINDLEMOX_DATA_DIR);
}
