#pragma once
// How far the interpreter has read through its sources, measured from
// outside: the descriptor it holds open on the current source and that
// descriptor's offset.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace convert {

class ProgressProbe
{
public:
    ProgressProbe() = default;
    // The sources in the order the interpreter reads them; names that are
    // not regular files count for nothing.
    explicit ProgressProbe(const QStringList& sources);

    // Per cent of all source bytes consumed so far, 0 to 100, never less
    // than an earlier answer.
    int percent();

    // The source names of an interpreter argument vector: its file
    // arguments, leaving out switches, the code after -c and switch values.
    static QStringList sourcesOf(int argc, char** argv);

private:
    struct Source
    {
        QByteArray path; // canonical, as /proc shows it
        int64_t size = 0;
    };
    int findOpenSource(int& fd) const;

    std::vector<Source> m_sources;
    int64_t m_total = 0;
    size_t m_current = 0;   // index of the source being read
    int64_t m_finished = 0; // bytes of the sources before it
    int m_fd = -1;          // last descriptor seen on the current source
    int m_percent = 0;
};

} // namespace convert
