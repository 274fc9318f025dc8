#include "convert/ProgressProbe.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace convert {

ProgressProbe::ProgressProbe(const QStringList& sources)
{
    for (const QString& name : sources) {
        Source source;
        struct stat st;
        const QByteArray encoded = QFile::encodeName(name);
        if (::stat(encoded.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            // /proc shows the resolved path, links and "./" gone.
            char* resolved = ::realpath(encoded.constData(), nullptr);
            if (resolved) {
                source.path = resolved;
                std::free(resolved);
                source.size = st.st_size;
            }
        }
        m_total += source.size;
        m_sources.push_back(source);
    }
}

QStringList ProgressProbe::sourcesOf(int argc, char** argv)
{
    QStringList sources;
    bool inCode = false;
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            break;
        const QByteArray arg(argv[i]);
        if (arg.startsWith('-') && arg.size() > 1) {
            inCode = arg.startsWith("-c");
            if (arg == "-o" || arg == "-I")
                ++i; // the value follows as its own argument
            else if (arg.startsWith("-f") && arg.size() > 2)
                sources << QString::fromUtf8(arg.mid(2));
            else if (arg == "--" || arg == "-+" || arg == "-@") {
                // the next argument is a file, the rest are its arguments
                if (i + 1 < argc && argv[i + 1])
                    sources << QString::fromUtf8(argv[i + 1]);
                break;
            }
            continue;
        }
        if (inCode || arg.startsWith('@') || arg == "-")
            continue;
        sources << QString::fromUtf8(arg);
    }
    return sources;
}

bool ProgressProbe::descriptorNames(int fd, const QByteArray& path) const
{
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target);
    return n == path.size() && path == QByteArray::fromRawData(target, int(n));
}

// The lowest source at or after the current one that a descriptor is open on.
int ProgressProbe::findOpenSource(int& fd) const
{
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int best = -1;
    int bestFd = -1;
    const int skip = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const int candidate = std::atoi(entry->d_name);
        if (candidate == skip)
            continue;
        char link[64];
        char target[4096];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", candidate);
        const ssize_t n = ::readlink(link, target, sizeof target);
        if (n <= 0)
            continue;
        const QByteArray name = QByteArray::fromRawData(target, int(n));
        const size_t limit = best < 0 ? m_sources.size() : size_t(best);
        for (size_t i = m_current; i < limit; ++i) {
            if (!m_sources[i].path.isEmpty() && m_sources[i].path == name) {
                best = int(i);
                bestFd = candidate;
                break;
            }
        }
    }
    ::closedir(dir);
    fd = bestFd;
    return best;
}

int ProgressProbe::percent()
{
    if (m_total <= 0)
        return m_percent;

    int64_t offset = -1;
    // Fast path: the descriptor of the last look still names the same source.
    if (m_fd >= 0 && m_current < m_sources.size() &&
        descriptorNames(m_fd, m_sources[m_current].path))
        offset = ::lseek(m_fd, 0, SEEK_CUR);
    if (offset < 0) {
        int fd = -1;
        const int index = findOpenSource(fd);
        if (index >= 0) {
            for (size_t i = m_current; i < size_t(index); ++i)
                m_finished += m_sources[i].size;
            m_current = size_t(index);
            m_fd = fd;
            offset = ::lseek(fd, 0, SEEK_CUR);
        } else {
            m_fd = -1;
        }
    }
    if (offset >= 0 && m_current < m_sources.size()) {
        const int64_t read = std::min(offset, m_sources[m_current].size);
        const int value = int((m_finished + read) * 100 / m_total);
        if (value > m_percent)
            m_percent = std::min(value, 100);
    }
    return m_percent;
}

} // namespace convert
