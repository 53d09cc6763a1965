#include "vekgrid/exchange/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace vekgrid {

namespace {
constexpr int kMaxLinkHops = 40;  // as the kernel allows
constexpr size_t kBufferBytes = size_t{1} << 16;

std::string Random_Suffix() {
    std::random_device device;
    std::uniform_int_distribution<unsigned> digit(0, 35);
    std::string out;
    for (int i = 0; i < 12; ++i) out += "0123456789abcdefghijklmnopqrstuvwxyz"[digit(device)];
    return out;
}

void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}
}  // namespace

Safe_File_Writer::Safe_File_Writer(const std::string& path) {
    if (path.empty()) {
        Fail("no file name", 0);
        return;
    }
    // Follow symbolic links ourselves, so that a dangling one still names where to write.
    std::filesystem::path target(path);
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) break;  // a new file
            Fail("cannot reach " + target.string(), errno);
            return;
        }
        if (S_ISLNK(st.st_mode)) {
            if (hops == kMaxLinkHops) {
                Fail("too many symbolic links at " + path, ELOOP);
                return;
            }
            std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
            const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
            if (n < 0) {
                Fail("cannot read the link " + target.string(), errno);
                return;
            }
            link.resize(static_cast<size_t>(n));
            std::filesystem::path next(link);
            target = next.is_absolute() ? next : target.parent_path() / next;
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            Fail(target.string() + " is not a regular file", 0);
            return;
        }
        keep_mode_ = true;
        mode_ = st.st_mode & 07777;
        owner_ = st.st_uid;
        group_ = st.st_gid;
        break;
    }
    name_ = target.filename().string();
    folder_ = target.parent_path().empty() ? std::string(".") : target.parent_path().string();
    if (name_.empty() || name_ == "." || name_ == "..") {
        Fail(path + " names a folder", EISDIR);
        return;
    }
    folder_fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd_ < 0) {
        Fail("cannot open the folder " + folder_, errno);
        return;
    }
    // A new file gets the usual permissions (0666 less the umask); an existing one its own,
    // set once the fresh file is ours alone.
    const unsigned create_mode = keep_mode_ ? 0600 : 0666;
    // An unnamed file vanishes by itself if the process dies mid-save; it needs /proc to be
    // given a name later.
    if (!Open_Temporary(create_mode, ::access("/proc/self/fd", X_OK) == 0) &&
        !Open_Temporary(create_mode, false))
        return;
    if (keep_mode_) {
        if (owner_ != ::geteuid() || group_ != ::getegid())
            (void)::fchown(fd_, owner_, group_);  // only where allowed
        if (::fchmod(fd_, mode_) != 0) Fail("cannot keep the file's permissions", errno);
    }
    buffer_.reserve(kBufferBytes);
}

bool Safe_File_Writer::Open_Temporary(unsigned mode, bool anonymous) {
    error_.clear();
    if (anonymous) {
        fd_ = ::openat(folder_fd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            anonymous_ = true;
            return true;
        }
        Fail("cannot create a file in " + folder_, errno);
        return false;
    }
    // A fresh random name, created exclusively: a file or link already there is never opened.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = "." + name_ + "." + Random_Suffix() + ".tmp";
        fd_ = ::openat(folder_fd_, name.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temporary_ = name;
            return true;
        }
        if (errno != EEXIST) break;
    }
    Fail("cannot create a file in " + folder_, errno);
    return false;
}

Safe_File_Writer::~Safe_File_Writer() {
    Close(fd_);
    if (!temporary_.empty()) ::unlinkat(folder_fd_, temporary_.c_str(), 0);
    Close(folder_fd_);
}

void Safe_File_Writer::Fail(const std::string& what, int error_number) {
    if (!error_.empty()) return;  // the first cause is the one worth telling
    error_ = what;
    if (error_number != 0) error_ += std::string(": ") + std::strerror(error_number);
}

void Safe_File_Writer::Write(std::string_view text) {
    if (!Ok()) return;
    if (buffer_.size() + text.size() > kBufferBytes && !Flush()) return;
    if (text.size() >= kBufferBytes) {
        buffer_.assign(text);
        Flush();
        return;
    }
    buffer_.append(text);
}

bool Safe_File_Writer::Flush() {
    const char* data = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("cannot write " + folder_ + "/" + name_, errno);
            return false;
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool Safe_File_Writer::Commit() {
    if (!Ok() || !Flush()) return false;
    if (::fsync(fd_) != 0) {
        Fail("cannot write " + folder_ + "/" + name_ + " to disk", errno);
        return false;
    }
    if (anonymous_) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        for (int attempt = 0; attempt < 16 && temporary_.empty(); ++attempt) {
            const std::string name = "." + name_ + "." + Random_Suffix() + ".tmp";
            if (::linkat(AT_FDCWD, self.c_str(), folder_fd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                temporary_ = name;
            else if (errno != EEXIST)
                break;
        }
        if (temporary_.empty()) {
            Fail("cannot name the new file in " + folder_, errno);
            return false;
        }
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        Fail("cannot write " + folder_ + "/" + name_, errno);
        return false;
    }
    if (::renameat(folder_fd_, temporary_.c_str(), folder_fd_, name_.c_str()) != 0) {
        Fail("cannot replace " + folder_ + "/" + name_, errno);
        return false;
    }
    temporary_.clear();
    (void)::fsync(folder_fd_);  // the rename itself reaches the disk
    return true;
}

}  // namespace vekgrid
