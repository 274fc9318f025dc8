#include "convert/ProgressProbe.h"

#include "platform/OwnDescriptors.h"

namespace convert {

ProgressProbe::ProgressProbe(const QStringList& sources)
{
    for (const QString& name : sources) {
        Source source;
        qint64 size = 0;
        source.path = platform::resolvedRegularFile(name, &size);
        if (!source.path.isEmpty())
            source.size = size;
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

// The lowest source at or after the current one that a descriptor is open on.
int ProgressProbe::findOpenSource(int& fd) const
{
    int best = -1;
    int bestFd = -1;
    for (const auto& [candidate, name] : platform::openDescriptors()) {
        const size_t limit = best < 0 ? m_sources.size() : size_t(best);
        for (size_t i = m_current; i < limit; ++i) {
            if (!m_sources[i].path.isEmpty() && m_sources[i].path == name) {
                best = int(i);
                bestFd = candidate;
                break;
            }
        }
    }
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
        platform::descriptorTarget(m_fd) == m_sources[m_current].path)
        offset = platform::descriptorOffset(m_fd);
    if (offset < 0) {
        int fd = -1;
        const int index = findOpenSource(fd);
        if (index >= 0) {
            for (size_t i = m_current; i < size_t(index); ++i)
                m_finished += m_sources[i].size;
            m_current = size_t(index);
            m_fd = fd;
            offset = platform::descriptorOffset(fd);
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
