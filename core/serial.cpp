// The serialisation walker's buffer, its field operations and safe file writes.
#include "core/serial.h"

#include "core/files_in_use.h"
#include "core/helpers.h"
#include "core/message.h"

#include "core/recording.h"
#include "platform/paths.h"

#include <cerrno>
#include <dirent.h>
#include <random>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

u32 serial_dir = SERIAL_WRITE;

// An attached view, or (when none is attached) the shared file buffer with its
// cursor: bytes below filebuf_length are read, bytes below its size written.
static bool attached = false;
static u8* view_data = nullptr;
static u32 view_size = 0;
static u32 view_pos = 0;
static bool buf_overrun = false;
static bool buf_dry = false;
static const char* buf_bad = nullptr;

static u8* data_ptr() {
    return attached ? view_data : filebuf;
}

static u32 limit() {
    if (attached) return view_size;
    if (!filebuf) return 0;
    if (serial_dir == SERIAL_WRITE) return filebuf_size;
    return filebuf_length < filebuf_size ? filebuf_length : filebuf_size;
}

static u32& pos() {
    return attached ? view_pos : filebuf_cursor;
}

void serial_attach(u8* data, u32 size, u32 cursor) {
    attached = data != nullptr;
    view_data = data;
    view_size = data ? size : 0;
    view_pos = cursor;
    serial_clear_status();
}

void serial_detach() {
    attached = false;
    view_data = nullptr;
    view_size = 0;
    view_pos = 0;
    serial_clear_status();
}

void serial_clear_status() {
    buf_overrun = false;
    buf_bad = nullptr;
}

u32 serial_cursor() {
    return pos();
}
void serial_seek(u32 position) {
    pos() = position;
}
const u8* serial_behind(u32 count) {
    const u32 at = pos();
    if (serial_dir == SERIAL_WRITE || !data_ptr() || at > limit() || at < count) return nullptr;
    return data_ptr() + at - count;
}
bool serial_overrun() {
    return buf_overrun;
}

void serial_mark_bad(const char* why) {
    if (!buf_bad) buf_bad = why;
}

const char* serial_bad_reason() {
    return buf_bad;
}
void serial_set_dry(bool dry) {
    buf_dry = dry;
}
bool serial_dry() {
    return buf_dry;
}

// True when `n` bytes fit at the cursor; otherwise marks the overrun and moves
// the cursor to the end so that every later field fails too.
static bool fits(u32 n) {
    u32 size = limit();
    u32& p = pos();
    if (data_ptr() && p <= size && size - p >= n) return true;
    buf_overrun = true;
    if (p > size) p = size;
    return false;
}

void state_put_u8(u32 value) {
    if (fits(1)) data_ptr()[pos()++] = static_cast<u8>(value);
}

void state_put_u16(u32 value) {
    state_put_u8(value >> 8);
    state_put_u8(value);
}

void state_put_u32(u32 value) {
    state_put_u16(value >> 16);
    state_put_u16(value);
}

// The last get found its bytes (a field is stored only then).
static bool last_ok = false;

u8 state_get_u8() {
    last_ok = fits(1);
    if (!last_ok) return 0;
    return data_ptr()[pos()++];
}

u16 state_get_u16() {
    last_ok = fits(2);
    if (!last_ok) return 0;
    const u8* p = data_ptr() + pos();
    pos() += 2;
    return static_cast<u16>(p[0] << 8 | p[1]);
}

u32 state_get_u32() {
    last_ok = fits(4);
    if (!last_ok) return 0;
    const u8* p = data_ptr() + pos();
    pos() += 4;
    return u32(p[0]) << 24 | u32(p[1]) << 16 | u32(p[2]) << 8 | p[3];
}

// On reading, stores only when the field was really there and the read is not dry.
static bool may_store() {
    return last_ok && !buf_dry;
}

u8 state_field_u8(u8* variable) {
    if (serial_dir == SERIAL_WRITE) {
        state_put_u8(*variable);
        return *variable;
    }
    u8 v = state_get_u8();
    if (may_store()) *variable = v;
    return v;
}

u16 state_field_u16(u16* variable) {
    if (serial_dir == SERIAL_WRITE) {
        state_put_u16(*variable);
        return *variable;
    }
    u16 v = state_get_u16();
    if (may_store()) *variable = v;
    return v;
}

u32 state_field_u32_full(u32* variable) {
    if (serial_dir == SERIAL_WRITE) {
        state_put_u32(*variable);
        return *variable;
    }
    u32 v = state_get_u32();
    if (may_store()) *variable = v;
    return v;
}

i32 state_field_u32_full(i32* variable) {
    u32 v = static_cast<u32>(*variable);
    v = state_field_u32_full(&v);
    if (serial_dir != SERIAL_WRITE && may_store()) *variable = static_cast<i32>(v);
    return static_cast<i32>(v);
}

u32 state_field_u32(u32* variable) {
    if (serial_dir == SERIAL_WRITE) {
        state_put_u8(*variable);
        return *variable & 0xFF;
    }
    u32 v = state_get_u8();
    if (may_store()) *variable = v;
    return v;
}

u32 state_field_u32(i32* variable) {
    u32 v = static_cast<u32>(*variable);
    v = state_field_u32(&v);
    if (serial_dir != SERIAL_WRITE && may_store()) *variable = static_cast<i32>(v);
    return v;
}

i32 state_field_word_or_none(i32* variable) {
    if (serial_dir == SERIAL_WRITE) {
        state_put_u16(static_cast<u32>(*variable));
        return static_cast<i32>(*variable & 0xFFFF) == 0xFFFF ? -1 : *variable & 0xFFFF;
    }
    u32 raw = state_get_u16();
    i32 v = raw == 0xFFFF ? -1 : static_cast<i32>(raw);
    if (may_store()) *variable = v;
    return v;
}

i32 state_field_word_or_none(u32* variable) {
    i32 v = static_cast<i32>(*variable);
    v = state_field_word_or_none(&v);
    if (serial_dir != SERIAL_WRITE && may_store()) *variable = static_cast<u32>(v);
    return v;
}

void state_field_bytes(u8* first, u32 count) {
    for (u32 i = 0; i < count; i++)
        state_field_u8(first + i);
}

void state_field_memory(u32 first, u32 last) {
    if (first > last || last >= GUEST_MEMORY_SIZE) return;
    state_field_bytes(guest_memory + first, last - first + 1);
}

void state_field_skip(u32 count) {
    for (u32 i = 0; i < count; i++) {
        if (serial_dir == SERIAL_WRITE)
            state_put_u8(0);
        else
            state_get_u8();
    }
}

// ---- Files -----------------------------------------------------------------------

static void set_error(std::string* error, const std::string& text) {
    if (error) *error = text;
}

// The mode a newly created file gets: 0666 less the process's umask.
static mode_t created_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

static bool write_all(int fd, const void* data, size_t size) {
    const u8* p = static_cast<const u8*>(data);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

static std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

static const char TEMP_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// `<path>.tmp-` and six letters: the temporary names of this file.
static bool is_temporary_of(const std::string& base, const char* name) {
    const size_t n = base.size();
    if (std::strncmp(name, base.c_str(), n) != 0 || std::strncmp(name + n, ".tmp-", 5) != 0)
        return false;
    const char* tail = name + n + 5;
    for (int i = 0; i < 6; i++)
        if (!tail[i] || !std::strchr(TEMP_LETTERS, tail[i])) return false;
    return tail[6] == '\0';
}

// A write that was cut short (the program killed between creating and
// renaming) leaves its temporary file behind; the next write of the same file
// removes it.
static void remove_stale_temporaries(const std::string& path) {
    const std::string folder = folder_of(path);
    const size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* d = opendir(folder.c_str());
    if (!d) return;
    while (const dirent* e = readdir(d))
        if (is_temporary_of(base, e->d_name)) unlinkat(dirfd(d), e->d_name, 0);
    closedir(d);
}

static std::string temporary_name(const std::string& path) {
    static std::mt19937 pick(static_cast<u32>(std::random_device{}()) ^ static_cast<u32>(getpid()));
    std::string name = path + ".tmp-";
    for (int i = 0; i < 6; i++)
        name += TEMP_LETTERS[pick() % (sizeof TEMP_LETTERS - 1)];
    return name;
}

// Links the finished unnamed file `fd` in beside `path` under a fresh
// temporary name, returned in *tmp.
static bool link_unnamed(int fd, const std::string& path, std::string* tmp) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; attempt++) {
        *tmp = temporary_name(path);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp->c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) break;
    }
    tmp->clear();
    return false;
}

// The file a write of `path` goes to: a symbolic link is followed to its
// target (one not there yet included), so that the link stays a link. False
// with errno ELOOP for links that go round.
static bool link_target(const std::string& path, std::string* target) {
    *target = path;
    for (int depth = 0; depth < 40; depth++) {
        struct stat st;
        if (lstat(target->c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string to(static_cast<size_t>(st.st_size) + 256, '\0');
        const ssize_t n = readlink(target->c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<size_t>(n) >= to.size()) return true; // the write then says why
        to.resize(static_cast<size_t>(n));
        *target = to[0] == '/' ? to : folder_of(*target) + "/" + to;
    }
    errno = ELOOP;
    return false;
}

// Gives the replacement `fd` the owner and group of the file `st` it replaces
// where the system lets us (another owner only the superuser can give; a
// group, a member of it), then its mode.
static void keep_owner_and_mode(int fd, const struct stat& st) {
    if (fchown(fd, st.st_uid, st.st_gid) != 0) (void)!fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    fchmod(fd, st.st_mode & 07777);
}

// `why`, with the file `target` named where `path` is a link to it.
static std::string reason_at_target(const std::string& path, const std::string& target,
                                    const std::string& why) {
    if (target.empty() || target == path) return why;
    return "it links to " + target + " (" + why + ")";
}

std::string file_replace_reason(const ReplaceFile& f, int error) {
    return reason_at_target(f.path, f.target, std::strerror(error));
}

bool file_save_target(const std::string& path, std::string* target, std::string* error) {
    if (!link_target(path, target)) {
        set_error(error, std::string("can't write ") + path + ": " + std::strerror(errno));
        return false;
    }
    // A file the program has in use is another writer's: never written over.
    if (const std::string use = file_in_use(*target); !use.empty()) {
        set_error(error, std::string("can't write ") + path + ": it is " + use);
        errno = EBUSY;
        return false;
    }
    // A write-protected file, a folder, a FIFO or a device at the name stays
    // as it is: a rename would put a new file in its place.
    const int place = path_save_place(*target);
    if (place == PATH_SAVE_FREE) return true;
    set_error(error, std::string("can't write ") + path + ": " +
                         reason_at_target(path, *target, path_save_refusal(place)));
    errno = place == PATH_SAVE_FOLDER ? EISDIR : place == PATH_SAVE_READ_ONLY ? EACCES : EINVAL;
    return false;
}

static bool open_replacement(const std::string& path, ReplaceFile* out, std::string* error,
                             bool named) {
    *out = ReplaceFile{};
    out->path = path;
    if (!file_save_target(path, &out->target, error)) return false;
    const std::string& target = out->target;
    remove_stale_temporaries(target);
    struct stat old;
    const bool replaces = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    const mode_t mode = created_mode();
    // An unnamed file leaves nothing behind when the program is killed while
    // writing it. Where the file system has none, or it cannot be linked in
    // (no /proc), a named one is written instead.
    if (!named && access("/proc/self/fd", X_OK) == 0)
        out->fd = open(folder_of(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (out->fd < 0) {
        out->temp = target + ".tmp-XXXXXX";
        out->fd = mkostemp(out->temp.data(), O_CLOEXEC);
        if (out->fd < 0) {
            const int saved = errno;
            set_error(error, std::string("can't create a file beside ") + path + ": " +
                                 file_replace_reason(*out, saved));
            out->temp.clear();
            return false;
        }
        // mkstemp makes the file private; give it the mode a new file gets.
        fchmod(out->fd, mode);
    }
    if (replaces) keep_owner_and_mode(out->fd, old);
    return true;
}

bool file_replace_open(const std::string& path, ReplaceFile* out, std::string* error,
                       bool named) {
    return open_replacement(path, out, error, named);
}

// Writes the finished replacement `from` in place over `target`, so that a
// file with other names (hard links) stays one file under all of them. The
// room for the new bytes is taken first: a full disk stops the write before
// the old bytes are touched. False with errno set.
static bool write_in_place(const std::string& target, int from, bool sync) {
    struct stat st;
    if (fstat(from, &st) != 0) return false;
    const size_t size = static_cast<size_t>(st.st_size);
    void* data = size ? mmap(nullptr, size, PROT_READ, MAP_SHARED, from, 0) : nullptr;
    if (data == MAP_FAILED) return false;
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    bool ok = fd >= 0;
    if (ok && size) {
        const int room = posix_fallocate(fd, 0, static_cast<off_t>(size));
        // A file system that cannot take room ahead is written all the same.
        if (room != 0 && room != EOPNOTSUPP && room != EINVAL) {
            errno = room;
            ok = false;
        }
    }
    ok = ok && write_all(fd, data, size) && ftruncate(fd, static_cast<off_t>(size)) == 0 &&
         (!sync || fsync(fd) == 0);
    int saved = errno;
    if (fd >= 0 && close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (size) munmap(data, size);
    errno = saved;
    return ok;
}

// file_replace_commit; *unlinked tells that an unnamed file could not be
// given its temporary name.
static bool commit_replacement(ReplaceFile* f, std::string* error, bool sync, bool* unlinked) {
    *unlinked = false;
    if (f->fd < 0) return false;
    // A file with other names is written in place; renaming over one name
    // would split it from the others.
    struct stat st;
    const bool in_place =
        stat(f->target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1;
    bool ok;
    if (in_place) {
        ok = write_in_place(f->target, f->fd, sync);
    } else {
        ok = !sync || fsync(f->fd) == 0;
        if (ok && f->temp.empty()) *unlinked = !(ok = link_unnamed(f->fd, f->target, &f->temp));
    }
    int saved = errno;
    if (close(f->fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    f->fd = -1;
    if (ok && !in_place && std::rename(f->temp.c_str(), f->target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if ((!ok || in_place) && !f->temp.empty()) std::remove(f->temp.c_str());
    f->temp.clear();
    if (!ok) {
        set_error(error,
                  std::string("can't write ") + f->path + ": " + file_replace_reason(*f, saved));
        return false;
    }
    if (!sync || in_place) return true;
    // The rename itself reaches the disk with the folder.
    const int dir = open(folder_of(f->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

bool file_replace_commit(ReplaceFile* f, std::string* error, bool sync) {
    bool unlinked;
    return commit_replacement(f, error, sync, &unlinked);
}

bool file_replace_with(const std::string& temp, const std::string& path, std::string* error) {
    ReplaceFile f;
    f.path = path;
    f.temp = temp;
    if (file_save_target(path, &f.target, error)) {
        f.fd = open(temp.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (f.fd < 0) set_error(error, std::string("can't write ") + path + ": " + std::strerror(errno));
    }
    if (f.fd < 0) {
        std::remove(temp.c_str());
        return false;
    }
    struct stat old;
    if (stat(f.target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) keep_owner_and_mode(f.fd, old);
    bool unlinked;
    return commit_replacement(&f, error, false, &unlinked);
}

void file_replace_abandon(ReplaceFile* f) {
    if (f->fd >= 0) close(f->fd);
    f->fd = -1;
    if (!f->temp.empty()) std::remove(f->temp.c_str());
    f->temp.clear();
}

bool file_write_replace(const std::string& path, const void* data, size_t size,
                        std::string* error, bool sync) {
    ReplaceFile f;
    for (bool named : {false, true}) {
        if (!open_replacement(path, &f, error, named)) return false;
        if (!write_all(f.fd, data, size)) {
            const int saved = errno;
            file_replace_abandon(&f);
            set_error(error,
                      std::string("can't write ") + path + ": " + file_replace_reason(f, saved));
            return false;
        }
        bool unlinked;
        if (commit_replacement(&f, error, sync, &unlinked)) return true;
        // An unnamed file that could not be linked in is written again under a name.
        if (!unlinked) return false;
    }
    return false;
}

std::string file_failure_text(const char* lead, const std::string& path, const std::string& error) {
    // The replacement's texts name the file before the reason ("can't write
    // <path>: <reason>", "can't create a file beside <path>: <reason>").
    const std::string named = path + ": ";
    const std::size_t at = error.find(named);
    const std::string reason = at == std::string::npos ? error : error.substr(at + named.size());
    return std::string(lead) + " " + path + ": " + reason + "!";
}

bool file_read_whole(const std::string& path, std::string* out, size_t limit) {
    std::string why;
    return file_read_telling(path, out, limit, &why) == READ_OK;
}

int file_read_telling(const std::string& path, std::string* out, size_t limit, std::string* why) {
    out->clear();
    errno = 0;
    const int read = file_read_regular(path, limit, [out](std::size_t size) {
        out->resize(size);
        return reinterpret_cast<u8*>(out->data());
    });
    const int error = errno;
    switch (read) {
    case READ_OK:
        why->clear();
        break;
    case READ_UNAVAILABLE:
        // What path_open_regular refuses without opening it says EINVAL.
        *why = error == EINVAL ? "not a regular file" : std::strerror(error);
        break;
    case READ_TOO_LARGE:
        *why = "larger than " + std::to_string(limit) + " bytes";
        break;
    default:
        *why = "read error";
        break;
    }
    errno = error;
    return read;
}

void file_kept_note(const char* what, const std::string& host) {
    con_printf("The %s will not be saved, so that \"%s\" is kept.\n", what, host.c_str());
}

bool file_write_protected(const std::string& host) {
    return path_save_place(host) == PATH_SAVE_READ_ONLY;
}
