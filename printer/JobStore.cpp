#include "printer/JobStore.h"

#include "platform/posix/Descriptor.h"
#include "printer/JobFileName.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace printer {

namespace {

// People's accounts start at this uid on Debian (adduser, login.defs); the
// ones below are root's and the system's.
constexpr uid_t firstUserUid = 1000;
constexpr uid_t nobodyUid = 65534;

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// The named temporary file of a folder without unnamed files, for the
// termination handler: a cancelled job must not leave it behind.
int g_tempFolder = -1;
char g_tempName[64] = {};

void removeTempAndExit(int signalNumber)
{
    if (g_tempFolder >= 0 && g_tempName[0] != '\0')
        ::unlinkat(g_tempFolder, g_tempName, 0);
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void forgetTemp()
{
    g_tempName[0] = '\0';
    g_tempFolder = -1;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies `input` to `output` and flushes it to the disk.
bool copyAndSync(int input, int output, std::string& error)
{
    std::vector<char> buffer(64 * 1024);
    unsigned long long total = 0;
    for (;;) {
        const ssize_t got = ::read(input, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = systemError("Cannot read the job");
            return false;
        }
        if (got == 0)
            break;
        if (!writeAll(output, buffer.data(), static_cast<std::size_t>(got))) {
            error = systemError("Cannot write the job's file");
            return false;
        }
        total += static_cast<unsigned long long>(got);
    }
    if (total == 0) {
        error = "The job holds no data";
        return false;
    }
    if (::fsync(output) != 0) {
        error = systemError("Cannot write the job's file");
        return false;
    }
    return true;
}

// Puts the finished file under the first of the job's names that is free:
// `place(name)` returns 0, or -1 with errno (EEXIST for a name taken).
template <typename Place>
bool nameJobFile(Place place, const std::string& title, const std::string& jobId,
                 std::string& storedName, std::string& error)
{
    constexpr int maxAttempts = 100;
    for (int attempt = 1; attempt <= maxAttempts; ++attempt) {
        const std::string name = jobFileName(title, jobId, attempt);
        if (place(name) == 0) {
            storedName = name;
            return true;
        }
        if (errno != EEXIST) {
            error = systemError("Cannot name the job's file " + name);
            return false;
        }
    }
    error = "Every name for the job's file is taken";
    return false;
}

// The unnamed file `fd` gets its first name in `folder`.
bool nameUnnamedFile(int fd, int folder, const std::string& title, const std::string& jobId,
                     std::string& storedName, std::string& error)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const auto link = [&](const std::string& name) {
        return ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW);
    };
    return nameJobFile(link, title, jobId, storedName, error);
}

// The temporary file `tempName` in `folder` takes a name that nothing holds.
bool nameTempFile(int folder, const char* tempName, const std::string& title,
                  const std::string& jobId, std::string& storedName, std::string& error)
{
    const auto rename = [&](const std::string& name) {
        int result = ::renameat2(folder, tempName, folder, name.c_str(), RENAME_NOREPLACE);
        if (result != 0 && errno == EINVAL) {
            // A file system without that flag: a link cannot replace either.
            result = ::linkat(folder, tempName, folder, name.c_str(), 0);
            if (result == 0)
                ::unlinkat(folder, tempName, 0);
        }
        return result;
    };
    return nameJobFile(rename, title, jobId, storedName, error);
}

} // namespace

bool findJobUser(const std::string& name, JobUser& user, std::string& error)
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    int result = 0;
    while ((result = ::getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found)) ==
           ERANGE)
        buffer.resize(buffer.size() * 2);
    if (result != 0 || found == nullptr || name.empty()) {
        error = "No user account \"" + name + "\" on this machine";
        return false;
    }
    if (entry.pw_uid < firstUserUid || entry.pw_uid == nobodyUid ||
        entry.pw_uid == static_cast<uid_t>(-1)) {
        error = "The account \"" + name + "\" is a system account: its jobs are not collected";
        return false;
    }
    if (entry.pw_dir == nullptr || entry.pw_dir[0] != '/') {
        error = "The account \"" + name + "\" has no home folder";
        return false;
    }
    user.name = entry.pw_name;
    user.uid = entry.pw_uid;
    user.gid = entry.pw_gid;
    user.home = entry.pw_dir;
    return true;
}

bool becomeJobUser(const JobUser& user, std::string& error)
{
    if (::geteuid() == user.uid && ::getuid() == user.uid)
        return true;
    if (::geteuid() != 0) {
        error = "The backend runs as uid " + std::to_string(::geteuid()) +
                " and cannot write for " + user.name + ": it must be installed mode 0700, root";
        return false;
    }
    if (::initgroups(user.name.c_str(), user.gid) != 0 || ::setgid(user.gid) != 0 ||
        ::setuid(user.uid) != 0) {
        error = systemError("Cannot take on the identity of " + user.name);
        return false;
    }
    // A uid change that root could undo would not protect anything.
    if (::getuid() != user.uid || ::geteuid() != user.uid || ::getegid() != user.gid ||
        ::setuid(0) == 0) {
        error = "Cannot drop root's rights for " + user.name;
        return false;
    }
    return true;
}

bool storeJob(int input, const JobUser& user, const std::string& title, const std::string& jobId,
              std::string& storedName, std::string& error)
{
    ::umask(077);
    // The home folder itself is the administrator's to place, a link
    // included; what lies inside it is the user's, and no link is taken.
    const platform::Descriptor home(::open(user.home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (home.get() < 0) {
        error = systemError("Cannot open the home folder " + user.home);
        return false;
    }
    if (::mkdirat(home.get(), "PostScript", 0700) != 0 && errno != EEXIST) {
        error = systemError("Cannot make the folder " + user.home + "/PostScript");
        return false;
    }
    const platform::Descriptor folder(
        ::openat(home.get(), "PostScript", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) {
        error = systemError("Cannot open the folder " + user.home + "/PostScript" +
                            (errno == ELOOP || errno == ENOTDIR ? " (not a plain folder)" : ""));
        return false;
    }
    struct stat info = {};
    if (::fstat(folder.get(), &info) != 0 || info.st_uid != user.uid) {
        error = "The folder " + user.home + "/PostScript does not belong to " + user.name;
        return false;
    }

    const std::string cleanTitle = cleanJobTitle(title);
    // An unnamed file has no name to be found by until it is whole, however
    // the job ends; where the file system has none, a hidden temporary name.
    const platform::Descriptor file(
        ::openat(folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (file.get() >= 0) {
        if (!copyAndSync(input, file.get(), error) ||
            !nameUnnamedFile(file.get(), folder.get(), cleanTitle, jobId, storedName, error))
            return false;
    } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
        std::snprintf(g_tempName, sizeof g_tempName, ".folivant-%s-%ld.part", jobId.c_str(),
                      static_cast<long>(::getpid()));
        g_tempFolder = folder.get();
        struct sigaction action = {};
        action.sa_handler = removeTempAndExit;
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        const int fd = ::openat(folder.get(), g_tempName,
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = systemError("Cannot create the job's file in " + user.home + "/PostScript");
            forgetTemp();
            return false;
        }
        const platform::Descriptor temp(fd);
        if (!copyAndSync(input, temp.get(), error) ||
            !nameTempFile(folder.get(), g_tempName, cleanTitle, jobId, storedName, error)) {
            ::unlinkat(folder.get(), g_tempName, 0);
            forgetTemp();
            return false;
        }
        forgetTemp();
    } else {
        error = systemError("Cannot create the job's file in " + user.home + "/PostScript");
        return false;
    }
    // The new name itself must survive a crash as well.
    if (::fsync(folder.get()) != 0) {
        error = systemError("Cannot write the folder " + user.home + "/PostScript");
        ::unlinkat(folder.get(), storedName.c_str(), 0);
        return false;
    }
    return true;
}

} // namespace printer
