// folivant-interpreter: runs one conversion for the window or the terminal
// tool, in a process of its own, and reports over its standard input and
// output as InterpreterProtocol.h says. Not meant to be started by hand.

#include "convert/FrameChannel.h"
#include "convert/Interpreter.h"
#include "convert/InterpreterProtocol.h"
#include "convert/PdfMarks.h"
#include "convert/ProgressProbe.h"
#include "convert/RunPlan.h"
#include "platform/AllocationWatch.h"
#include "platform/ChildProcess.h"
#include "platform/Terminal.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace convert {
namespace {

// A run of the interpreter reads stdin once per page (the showpage prompt).
// A document that keeps reading stdin would loop for ever on the line feeds
// handed out; after this many reads with no output in between it sees the end.
constexpr int MaxReadsWithoutOutput = 64;

// Without -dNOPAUSE the interpreter prompts and reads stdin after each page:
// that read is where progress is measured.
constexpr char PagePrompt[] = ">>showpage, press <return> to continue<<\n";

// Output can come in many small pieces; the descriptor scan is not free.
constexpr auto LookInterval = std::chrono::milliseconds(50);

// Each source runs inside a save of its own and everything it left on the
// stacks goes before the restore, so the next source finds the interpreter
// and the page device as the first one did.
constexpr char BeforeSource[] = "userdict /.folivantsource save put";
constexpr char AfterSource[] = "clear cleardictstack userdict /.folivantsource get restore";

constexpr char Creator[] = "Folivant 2.0";

class Session : public InterpreterIo
{
public:
    Session(FrameChannel& channel, const QStringList& sources)
        : m_channel(channel), m_probe(sources)
    {
    }

    int readInput(char* buf, int size) override
    {
        if (m_prompted && size > 0) {
            // The page prompt's read is ours: answered here, at once, so a
            // page costs no trip to the caller and back.
            m_prompted = false;
            look(true);
            buf[0] = '\n';
            return 1;
        }
        if (size <= 0 || ++m_readsWithoutOutput > MaxReadsWithoutOutput)
            return 0;
        if (!send(interpreter::encode(interpreter::Input, size, -1)))
            return -1;
        interpreter::Message answer;
        if (!receive(answer) || answer.type != interpreter::Answer || answer.payload.size() < 4)
            return -1;
        const int32_t n = answer.first();
        if (n <= 0)
            return n < 0 ? -1 : 0;
        const size_t given = std::min({size_t(n), size_t(size), answer.payload.size() - 4});
        std::memcpy(buf, answer.payload.data() + 4, given);
        return int(given);
    }

    void writeOutput(const char* str, int size) override
    {
        m_readsWithoutOutput = 0;
        look(false);
        // The page prompt is ours, not the document's: it only paces the
        // progress probe. It flushes whatever the document printed before it
        // without a flush of its own, so it can end a longer block.
        constexpr int promptLength = int(sizeof PagePrompt - 1);
        int shown = size;
        if (size >= promptLength &&
            std::memcmp(str + size - promptLength, PagePrompt, size_t(promptLength)) == 0) {
            m_prompted = true;
            shown = size - promptLength;
            if (shown == 0)
                return;
        }
        m_channel.sendSoon(interpreter::encode(interpreter::Output, str, size_t(shown)));
    }

    bool send(const std::string& frame) { return m_channel.send(frame); }
    bool receive(interpreter::Message& message) { return m_channel.receive(message); }

private:
    // Reports the progress when it is time to look: at every page, and
    // while output comes. 100 is kept for the end: the last bytes are read
    // before the last page is written.
    void look(bool page)
    {
        const auto now = std::chrono::steady_clock::now();
        if (!page && now - m_lastLook < LookInterval)
            return;
        m_lastLook = now;
        const int percent = std::min(m_probe.percent(), 99);
        if (percent != m_sent)
            send(interpreter::encode(interpreter::Progress, percent));
        m_sent = percent;
    }

    FrameChannel& m_channel;
    ProgressProbe m_probe;
    int m_sent = -1;
    int m_readsWithoutOutput = 0;
    bool m_prompted = false; // the page prompt came: the next read is its
    std::chrono::steady_clock::time_point m_lastLook;
};

int run(Interpreter& gs, Session& session, const RunPlan& plan)
{
    int code = gs.start(plan.startArgs);
    if (code == Interpreter::Info || code == Interpreter::Quit)
        return 0; // a usage text, or switches that ended the run themselves
    if (code < 0)
        return code;
    const auto files = std::count_if(plan.steps.begin(), plan.steps.end(),
                                     [](const RunStep& s) { return s.isFile; });
    std::string title; // of the PDF: the job's when it merges, else the source's
    int32_t index = 0;
    for (const RunStep& step : plan.steps) {
        if (!step.isFile) {
            code = gs.runCode(step.text);
            if (code < 0 && code != Interpreter::Quit)
                return code;
            continue;
        }
        const SourceHeader header = readSourceHeader(step.text);
        if (files == 1)
            title = header.title;
        const int before = gs.pageCount();
        code = gs.runCode(BeforeSource);
        // Inside the source's save: the restore after it takes the placement away.
        if (code >= 0 && header.eps && header.hasBox)
            code = gs.runCode(placementCode(header));
        if (code >= 0) {
            code = gs.runFile(step.text);
            // A source that quits has ended itself, not the job.
            if (code >= 0 || code == Interpreter::Quit)
                code = gs.runCode(AfterSource);
        }
        if (code < 0) {
            session.send(interpreter::encode(interpreter::FailedSource, index));
            return code;
        }
        const int after = gs.pageCount();
        if (before >= 0 && after >= 0)
            session.send(interpreter::encode(interpreter::Pages, index, after - before));
        // Only now is it known that the source has a first page to open.
        if (files > 1 && before >= 0 && after > before)
            gs.runCode(outlineMark(before + 1, outlineTitle(header, step.text)));
        ++index;
    }
    // Last, over what the sources' own comments made of the document's
    // information.
    gs.runCode(documentInfoMark(files > 1 ? readableText(plan.title) : title, Creator));
    return 0;
}

// The job frame: working folder, temporary folder, memory limit, plan.
bool readJob(Session& session, std::string& folder, std::string& temporary,
             unsigned long long& limitMiB, RunPlan& plan)
{
    interpreter::Message job;
    if (!session.receive(job) || job.type != interpreter::Job)
        return false;
    const std::string& payload = job.payload;
    std::vector<std::string> strings;
    for (size_t at = 0; at < payload.size();) {
        const size_t end = payload.find('\0', at);
        if (end == std::string::npos)
            return false;
        strings.push_back(payload.substr(at, end - at));
        at = end + 1;
    }
    if (strings.size() < 3)
        return false;
    folder = strings[0];
    temporary = strings[1];
    char* end = nullptr;
    limitMiB = std::strtoull(strings[2].c_str(), &end, 10);
    if (strings[2].empty() || *end)
        return false;
    return RunPlan::fromStrings(std::vector<std::string>(strings.begin() + 3, strings.end()), plan);
}

// The library's first instance in a process costs more than later ones (it
// reads its resources and font lists for the first time); a process started
// ahead of its job pays that while it waits.
void warmUp()
{
    class Silent : public InterpreterIo
    {
        int readInput(char*, int) override { return 0; }
        void writeOutput(const char*, int) override {}
    } silent;
    Interpreter gs(silent);
    gs.start({"", "-q", "-dNOPAUSE", "-dBATCH", "-sDEVICE=pdfwrite", "-sOutputFile=/dev/null", "-c",
              "/Helvetica findfont 10 scalefont setfont 9 9 moveto (a) show showpage"});
}

} // namespace
} // namespace convert

int main(int argc, char** argv)
{
    using namespace convert;
    if (argc == 2 && std::strcmp(argv[1], "--library") == 0) {
        // Which interpreter library this build runs, for the programs' --version.
        std::printf("%s\n", libraryRevision().c_str());
        return 0;
    }
    // --ahead: started before its job, and warms the library up meanwhile;
    // --waiting: started before its job, loaded only.
    const bool ahead = argc == 2 && std::strcmp(argv[1], "--ahead") == 0;
    const bool loadedOnly = argc == 2 && std::strcmp(argv[1], "--waiting") == 0;
    if ((argc != 1 && !ahead && !loadedOnly) ||
        platform::isTerminal(platform::StandardStream::Input)) {
        std::fputs("folivant-interpreter: runs conversions for Folivant; not for use by hand.\n",
                   stderr);
        return 2;
    }
    platform::ChildProcess::endWithParent();
    // The channel moves off the standard descriptors: whatever a library
    // prints directly goes to standard error, not into the frames.
    const int channel = platform::ChildProcess::takeChannel();
    if (channel < 0)
        return 2;

    // Started ahead of its job, the process waits here with the library
    // loaded; a caller that goes away ends it.
    if (ahead)
        warmUp();
    FrameChannel frames(channel);
    frames.sendWaitingOnCrash();
    Session waiting(frames, QStringList());
    std::string folder;
    std::string temporary;
    unsigned long long limitMiB = 0;
    RunPlan plan;
    if (!readJob(waiting, folder, temporary, limitMiB, plan))
        return 2;
    // A document that allocates without end fails here, not the machine.
    if (!platform::ChildProcess::limitMemory(limitMiB << 20))
        std::perror("folivant-interpreter: memory limit");
    if (!folder.empty() && !QDir::setCurrent(QString::fromStdString(folder)))
        std::fprintf(stderr, "folivant-interpreter: cannot work in %s\n", folder.c_str());
    // The interpreter lets documents use its temporary folder: a private one.
    if (!temporary.empty())
        qputenv("TMPDIR", QByteArray::fromStdString(temporary));

    QStringList sources;
    for (const RunStep& step : plan.steps) {
        if (step.isFile)
            sources << QString::fromStdString(step.text);
    }
    Session session(frames, sources);
    int32_t code;
    {
        Interpreter gs(session);
        code = gs.valid() ? run(gs, session, plan) : -100;
        if (code < 0) {
            // A failed run shuts down before it reports, as the caller will
            // not ask for it.
            gs.shutDown();
            if (platform::allocationWasRefused())
                code = interpreter::OutOfMemory;
            session.send(interpreter::encode(interpreter::Result, code));
            return 1;
        }
        session.send(interpreter::encode(interpreter::Result, code));
        interpreter::Message exit;
        if (!session.receive(exit) || exit.type != interpreter::Exit)
            return 1; // the caller has gone: nothing to complete for
        code = gs.shutDown();
    }
    session.send(interpreter::encode(interpreter::Ended, code));
    return 0;
}
