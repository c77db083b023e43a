#include <keelward/platform/IOKit/NvramStore.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <thread>

namespace keelward {
namespace {

std::atomic<long long> gLockTimeoutMs{10'000};
std::atomic<bool> gTreatImagesAsDevices{false};

// The NVRAM driver's request to commit the image to the flash part.
constexpr unsigned long kNvramSyncRequest = _IO('p', 0x43);

kern_return_t StatusForErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return kIOReturnNotPermitted;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kIOReturnNoSpace;
        case ENOMEM:
            return kIOReturnNoMemory;
        case ENOENT:
        case ENOTDIR:
            return kIOReturnNotFound;
        default:
            return kIOReturnIOError;
    }
}

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~FileDescriptor() { Close(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Closes now and reports whether the close succeeded (it may report a failed
    // write-back).
    bool CloseChecked() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_ = -1;
};

// A temporary file that is removed unless it has been renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

kern_return_t MakeFolders(const std::string& folder) {
    std::string partial;
    std::size_t start = 0;
    while (start <= folder.size()) {
        const std::size_t slash = folder.find('/', start);
        const std::size_t end = slash == std::string::npos ? folder.size() : slash;
        partial = folder.substr(0, end);
        if (!partial.empty() && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            return StatusForErrno(errno);
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return kIOReturnSuccess;
}

kern_return_t WriteAll(int fd, const std::vector<UInt8>& bytes, off_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + off_t(done));
        if (written < 0) {
            if (errno == EINTR) continue;
            return StatusForErrno(errno);
        }
        done += static_cast<std::size_t>(written);
    }
    return kIOReturnSuccess;
}

kern_return_t ReadAll(int fd, std::vector<UInt8>& out) {
    out.clear();
    UInt8 chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            return StatusForErrno(errno);
        }
        if (got == 0) return kIOReturnSuccess;
        // Anything this large is no NVRAM image; stop before reading it all.
        if (out.size() + static_cast<std::size_t>(got) > NvramImage::kMaximumImageSize) return kIOReturnBadMedia;
        out.insert(out.end(), chunk, chunk + got);
    }
}

// Writes `bytes` to a new file in the image's folder and flushes it; the caller
// renames or links it into place.
kern_return_t WriteNewFile(const std::string& path, const std::vector<UInt8>& bytes, mode_t mode,
                           std::unique_ptr<TemporaryFile>& out) {
    auto temporary = std::make_unique<TemporaryFile>(path + ".new");
    ::unlink(temporary->path().c_str());  // left by a writer that died before its rename
    FileDescriptor fd(::open(temporary->path().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (!fd.valid()) {
        const kern_return_t status = StatusForErrno(errno);
        temporary->Keep();  // not ours to remove
        return status;
    }
    kern_return_t status = WriteAll(fd.get(), bytes, 0);
    if (status == kIOReturnSuccess && ::fchmod(fd.get(), mode) != 0) status = StatusForErrno(errno);
    if (status == kIOReturnSuccess && ::fsync(fd.get()) != 0) status = StatusForErrno(errno);
    if (status == kIOReturnSuccess && !fd.CloseChecked()) status = StatusForErrno(errno);
    if (status == kIOReturnSuccess) out = std::move(temporary);
    return status;
}

void SyncFolder(const std::string& path) {
    FileDescriptor folder(::open(ParentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());
}

// Opens the image and takes a lock on it. A writer replaces the image by renaming a
// new file over it, so a lock won on the old file protects nothing: after locking,
// the path must still name the locked file, or we start again.
kern_return_t OpenLocked(const NvramLocation& location, int flags, int lockOperation, FileDescriptor& out,
                         struct stat& info, bool& device) {
    const std::string& path = location.path;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(gLockTimeoutMs.load());
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        FileDescriptor fd(::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY));
        if (!fd.valid()) return StatusForErrno(errno);
        while (::flock(fd.get(), lockOperation | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return StatusForErrno(errno);
            if (std::chrono::steady_clock::now() >= deadline) return kIOReturnCannotLock;
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::microseconds(20'000));
        }
        struct stat current;
        if (::fstat(fd.get(), &info) != 0) return StatusForErrno(errno);
        device = S_ISCHR(info.st_mode) || (location.treatAsDevice && S_ISREG(info.st_mode));
        if (device) {
            out = std::move(fd);
            return kIOReturnSuccess;
        }
        if (!S_ISREG(info.st_mode)) return kIOReturnBadMedia;
        if (::stat(path.c_str(), &current) == 0 && current.st_dev == info.st_dev && current.st_ino == info.st_ino) {
            out = std::move(fd);
            return kIOReturnSuccess;
        }
        if (std::chrono::steady_clock::now() >= deadline) return kIOReturnCannotLock;
    }
}

}  // namespace

void NvramSetLockTimeout(std::chrono::milliseconds timeout) { gLockTimeoutMs = timeout.count(); }

void NvramSetTreatImagesAsDevices(bool treatAsDevices) { gTreatImagesAsDevices = treatAsDevices; }

NvramLocation NvramImageLocation() {
    if (const char* explicitPath = std::getenv("KEELWARD_NVRAM"); explicitPath != nullptr && *explicitPath != '\0') {
        return {explicitPath, /*createFolders=*/false, gTreatImagesAsDevices.load()};
    }
    std::string stateHome;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/') {
        stateHome = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry != nullptr ? entry->pw_dir : "/";
        }
        stateHome = std::string(home) + "/.local/state";
    }
    return {stateHome + "/keelward/nvram", /*createFolders=*/true, gTreatImagesAsDevices.load()};
}

kern_return_t NvramFile::EnsureExists() const {
    const std::string& path = location_.path;
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) return kIOReturnSuccess;
    if (errno != ENOENT) return StatusForErrno(errno);
    // A missing device node means the machine has no such device; an image file
    // created in its place would only hide that.
    if (ParentOf(path) == "/dev") return kIOReturnNotFound;
    if (location_.createFolders) {
        if (const kern_return_t status = MakeFolders(ParentOf(path)); status != kIOReturnSuccess) return status;
    }
    std::unique_ptr<TemporaryFile> fresh;
    // The lock lives on the image, which does not exist yet; two first users may
    // race here, so the fresh image is linked into place only if the path is still
    // free, and the loser simply uses the winner's image.
    const std::string candidate = path + ".fresh." + std::to_string(::getpid());
    if (const kern_return_t status = WriteNewFile(candidate, NvramImage::Fresh(), 0600, fresh);
        status != kIOReturnSuccess) {
        return status;
    }
    if (::link(fresh->path().c_str(), path.c_str()) != 0 && errno != EEXIST) return StatusForErrno(errno);
    SyncFolder(path);
    return kIOReturnSuccess;
}

kern_return_t NvramFile::Read(NvramImage& out) const {
    FileDescriptor fd;
    struct stat info;
    bool device = false;
    if (const kern_return_t status = OpenLocked(location_, O_RDONLY, LOCK_SH, fd, info, device);
        status != kIOReturnSuccess) {
        return status;
    }
    std::vector<UInt8> bytes;
    if (const kern_return_t status = ReadAll(fd.get(), bytes); status != kIOReturnSuccess) return status;
    return NvramImage::Parse(std::move(bytes), out, !device);
}

kern_return_t NvramFile::Update(const std::function<kern_return_t(NvramImage&)>& change) const {
    const std::string& path = location_.path;
    FileDescriptor fd;
    struct stat info;
    bool device = false;
    if (const kern_return_t status = OpenLocked(location_, O_RDWR, LOCK_EX, fd, info, device);
        status != kIOReturnSuccess) {
        return status;
    }
    // A file marked read-only stays unchanged, even for a process that could
    // override its mode.
    if (S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return kIOReturnNotPermitted;

    std::vector<UInt8> bytes;
    if (const kern_return_t status = ReadAll(fd.get(), bytes); status != kIOReturnSuccess) return status;
    NvramImage image;
    if (const kern_return_t status = NvramImage::Parse(std::move(bytes), image, !device);
        status != kIOReturnSuccess) {
        return status;
    }
    if (const kern_return_t status = change(image); status != kIOReturnSuccess) return status;

    if (device) {
        // The kernel keeps the bank header of the device itself.
        if (const kern_return_t status = WriteAll(fd.get(), image.Bytes(), 0); status != kIOReturnSuccess) {
            return status;
        }
        if (S_ISCHR(info.st_mode)) ::ioctl(fd.get(), kNvramSyncRequest);  // not every NVRAM driver knows it
        else if (::fsync(fd.get()) != 0) return StatusForErrno(errno);
        return kIOReturnSuccess;
    }

    image.SealBankHeader();
    std::unique_ptr<TemporaryFile> replacement;
    if (const kern_return_t status = WriteNewFile(path, image.Bytes(), info.st_mode & 07777, replacement);
        status != kIOReturnSuccess) {
        return status;
    }
    // Keep the owner when a privileged process writes someone else's image; an
    // ordinary process cannot change it and need not.
    [[maybe_unused]] const int ignored = ::chown(replacement->path().c_str(), info.st_uid, info.st_gid);
    if (::rename(replacement->path().c_str(), path.c_str()) != 0) return StatusForErrno(errno);
    replacement->Keep();
    SyncFolder(path);
    return kIOReturnSuccess;
}

}  // namespace keelward
