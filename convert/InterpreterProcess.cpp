#include "convert/InterpreterProcess.h"

#include "convert/InterpreterProtocol.h"
#include "convert/WmUser.h"
#include "platform/ChildProcess.h"
#include "platform/ProgramPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cstring>

namespace convert {

std::atomic<bool> InterpreterProcess::s_stopRequested{false};
std::atomic<platform::ChildProcess::Id> InterpreterProcess::s_running{-1};

namespace {

// How long the caller's events may wait while the child works.
constexpr int PumpIntervalMs = 20;

QString interpreterProgram()
{
    return platform::programFolder() + QStringLiteral("folivant-interpreter");
}

// What the library takes from the environment: switches that come before
// ours (GS_OPTIONS=-dNOSAFER switches safety off), folders it then trusts
// for reading (GS_LIB, GS_FONTPATH, the CID substitution paths, and the font
// configuration's own folders), the device, and where temporary files go
// (each run gets a folder of its own instead). None of it may reach a run.
const QStringList& withoutLibrarySettings()
{
    static const QStringList removed{QStringLiteral("GS_*"),
                                     QStringLiteral("CIDFSUBSTFONT"),
                                     QStringLiteral("CIDFSUBSTFONTID"),
                                     QStringLiteral("CIDFSUBSTPATH"),
                                     QStringLiteral("FONTCONFIG_*"),
                                     QStringLiteral("TEMP"),
                                     QStringLiteral("TMP"),
                                     QStringLiteral("TMPDIR")};
    return removed;
}

} // namespace

InterpreterProcess::InterpreterProcess(GsdllCallback callback, QObject* window,
                                       InterpreterChildren& children)
    : m_callback(callback), m_children(children), m_window(window)
{
}

InterpreterProcess::~InterpreterProcess()
{
    s_running = -1;
    if (m_child && m_child->pid() > 0) {
        platform::ChildProcess::kill(m_child->pid());
        m_child->wait();
    }
}

void InterpreterProcess::requestStop()
{
    s_stopRequested = true;
    platform::ChildProcess::kill(s_running.load());
}

std::unique_ptr<platform::ChildProcess> InterpreterChildren::start(Start how, QString* error)
{
    auto child = std::make_unique<platform::ChildProcess>();
    const QStringList args = how == Start::AheadWarmedUp ? QStringList{QStringLiteral("--ahead")}
                             : how == Start::Ahead       ? QStringList{QStringLiteral("--waiting")}
                                                         : QStringList();
    if (!child->start(interpreterProgram(), args, withoutLibrarySettings(), error))
        return nullptr;
    return child;
}

void InterpreterChildren::keepOneReady(bool warmedUp)
{
    m_keepOneReady = true;
    m_warmedUp = warmedUp;
    if (!m_ready)
        m_ready = start(warmedUp ? Start::AheadWarmedUp : Start::Ahead, nullptr);
}

std::unique_ptr<platform::ChildProcess> InterpreterChildren::takeReady()
{
    std::unique_ptr<platform::ChildProcess> ready = std::move(m_ready);
    // One that only loads can do so beside the run that starts now: the
    // next run then finds it ready at once.
    if (ready && m_keepOneReady && !m_warmedUp)
        m_ready = start(Start::Ahead, nullptr);
    return ready;
}

void InterpreterChildren::leave(std::unique_ptr<platform::ChildProcess> child)
{
    m_leaving.push_back(std::move(child));
}

void InterpreterChildren::tidy()
{
    m_leaving.erase(std::remove_if(m_leaving.begin(), m_leaving.end(),
                                   [](const auto& child) { return child->hasEnded(); }),
                    m_leaving.end());
    if (m_keepOneReady && !m_ready)
        m_ready = start(m_warmedUp ? Start::AheadWarmedUp : Start::Ahead, nullptr);
}

// The child of a run is done: the next one starts loading. A child that has
// finished its work is not waited for; it is reaped later.
void InterpreterProcess::ended(bool waitForIt)
{
    s_running = -1;
    // A request that came while this run was ending was for this run.
    s_stopRequested = false;
    m_incoming = interpreter::FrameDecoder();
    if (m_child && !waitForIt && !m_child->hasEnded()) {
        m_children.leave(std::move(m_child));
    } else if (m_child) {
        m_child->wait(); // at once when it has already been reaped
        m_child.reset();
    }
    m_children.tidy();
}

void InterpreterProcess::sendProgress(int percent)
{
    if (!m_window || m_finished || percent == m_sent)
        return;
    m_finished = percent == 100;
    m_sent = percent;
    WmUserEvent event(percent, 0);
    QCoreApplication::sendEvent(m_window.data(), &event);
}

void InterpreterProcess::pumpEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents, PumpIntervalMs);
}

int32_t InterpreterProcess::run(const RunPlan& plan)
{
    m_pages.assign(std::count_if(plan.steps.begin(), plan.steps.end(),
                                 [](const RunStep& s) { return s.isFile; }),
                   -1);
    m_failedSource = -1;
    sendProgress(0);

    // A folder of its own for the interpreter's temporary files: the
    // interpreter lets documents read and write there, and only there.
    m_tempDir =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/folivant-XXXXXX"));
    std::string job;
    for (const QString& folder :
         {QDir::currentPath(), m_tempDir->isValid() ? m_tempDir->path() : QString()}) {
        job += folder.toStdString();
        job += '\0';
    }
    job += std::to_string(m_children.memoryLimitMiB);
    job += '\0';
    for (const std::string& s : plan.toStrings()) {
        job += s;
        job += '\0';
    }
    const std::string frame = interpreter::encode(interpreter::Job, job.data(), job.size());

    // The child started ahead, unless it has gone meanwhile; else a new one.
    QString error;
    m_child = m_children.takeReady();
    if (!m_child || !m_child->writeAll(frame.data(), frame.size())) {
        m_child = InterpreterChildren::start(InterpreterChildren::Start::ForItsJob, &error);
        if (m_child && !m_child->writeAll(frame.data(), frame.size()))
            error = QStringLiteral("pas de réponse");
    }
    if (!m_child || !error.isEmpty()) {
        const QByteArray line =
            QStringLiteral("L'interpréteur n'a pas pu être lancé (%1).\n").arg(error).toUtf8();
        gsdllSendOutput(m_callback, line.constData(), size_t(line.size()), m_scratch);
        ended();
        return interpreter::Crashed;
    }
    s_running = m_child->pid();
    if (s_stopRequested)
        platform::ChildProcess::kill(m_child->pid());

    const int32_t code = relay(Until::Result);
    if (code == 0)
        sendProgress(100);
    return code;
}

int32_t InterpreterProcess::finish()
{
    if (!m_child)
        return 0;
    const std::string exit = interpreter::encode(interpreter::Exit, nullptr, 0);
    m_child->writeAll(exit.data(), exit.size());
    return relay(Until::Ended);
}

int32_t InterpreterProcess::relay(Until until)
{
    QElapsedTimer sincePump;
    sincePump.start();
    m_haveCode = false;
    interpreter::Message message; // reused: most frames are short lines
    const interpreter::Frame last =
        until == Until::Result ? interpreter::Result : interpreter::Ended;
    for (;;) {
        if (s_stopRequested.exchange(false)) {
            platform::ChildProcess::kill(m_child->pid());
            ended();
            return interpreter::Stopped;
        }
        const interpreter::FrameDecoder::Next next = m_incoming.next(message);
        if (next == interpreter::FrameDecoder::Next::Broken)
            return childGone();
        if (next == interpreter::FrameDecoder::Next::Incomplete &&
            m_child->waitReadable(PumpIntervalMs)) {
            // Everything that has arrived, in one read: a talkative
            // document sends many small frames.
            m_readBuffer.resize(ReadChunk);
            const size_t n = m_child->readSome(m_readBuffer.data(), ReadChunk);
            if (n == 0)
                return childGone();
            m_incoming.append(m_readBuffer.data(), n);
        }
        if (next == interpreter::FrameDecoder::Next::Message) {
            handle(message);
            if (m_haveCode && message.type == last) {
                // A failed run, and every shut-down, ends the child.
                // The shut-down child has completed the output: its own end
                // need not be waited for.
                if (m_code != 0 || until == Until::Ended)
                    ended(until != Until::Ended);
                return m_code;
            }
        }
        if (sincePump.elapsed() >= PumpIntervalMs) {
            pumpEvents();
            sincePump.restart();
        }
    }
}

void InterpreterProcess::handle(const interpreter::Message& message)
{
    const int32_t a = message.first();
    const int32_t b = message.second();
    switch (message.type) {
    case interpreter::Output:
        if (!message.payload.empty())
            m_lineOpen = message.payload.back() != '\n';
        gsdllSendOutput(m_callback, message.payload.data(), message.payload.size(), m_scratch);
        break;
    case interpreter::Input: {
        if (b >= 0)
            sendProgress(b);
        const int32_t size = std::clamp(a, 0, 1 << 20);
        // A callback that answers without filling the buffer hands over line
        // feeds.
        m_scratch.assign(size_t(size) + 1, '\n');
        m_scratch[size_t(size)] = '\0';
        int32_t answer =
            m_callback ? m_callback(GsdllInputWanted, m_scratch.data(), uint32_t(size)) : 0;
        answer = answer < 0 ? -1 : std::min(answer, size);
        const std::string reply = interpreter::encodeAnswer(answer, m_scratch.data());
        m_child->writeAll(reply.data(), reply.size());
        break;
    }
    case interpreter::Progress:
        sendProgress(std::min(a, 99));
        break;
    case interpreter::Pages:
        if (a >= 0 && size_t(a) < m_pages.size())
            m_pages[size_t(a)] = b;
        break;
    case interpreter::FailedSource:
        m_failedSource = a;
        break;
    case interpreter::Result:
    case interpreter::Ended:
        m_code = a;
        m_haveCode = true;
        break;
    default:
        break;
    }
}

int32_t InterpreterProcess::childGone()
{
    // Forgotten before it is reaped: its number may then go to another process.
    s_running = -1;
    const platform::ChildProcess::Ending ending = m_child->wait();
    const bool stopped = s_stopRequested.exchange(false);
    ended();
    if (stopped)
        return interpreter::Stopped;
    const QString line =
        ending.signal != 0 ? QStringLiteral("L'interpréteur s'est arrêté anormalement (signal %1).")
                                 .arg(ending.signal)
                           : QStringLiteral("L'interpréteur s'est arrêté sans donner de résultat "
                                            "(code de sortie %1).")
                                 .arg(ending.code);
    // On a line of its own, after whatever the document was writing.
    const QByteArray bytes =
        ((m_lineOpen ? QStringLiteral("\n") : QString()) + line + QLatin1Char('\n')).toUtf8();
    gsdllSendOutput(m_callback, bytes.constData(), size_t(bytes.size()), m_scratch);
    return interpreter::Crashed;
}

} // namespace convert
