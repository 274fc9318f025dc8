// The interpreter process's channel: frames queued for a moment arrive in
// order and whole, while the process sleeps and when it crashes; and the
// decoder both sides read them with, on recorded streams.

#include "convert/FrameChannel.h"
#include "convert/InterpreterProtocol.h"

#include <QtTest>

#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace convert;

class TestFrameChannel : public QObject
{
    Q_OBJECT

private slots:
    void queuedFramesArrive_data();
    void queuedFramesArrive();
    void decoderCutsStreams_data();
    void decoderCutsStreams();
};

namespace {
// A recorded run's traffic: output of every size, an answer with its bytes,
// progress, pages and the result.
std::string recordedStream()
{
    std::string stream;
    stream += interpreter::encode(interpreter::Output, "GPL Ghostscript 10.00.0\n", 24);
    stream += interpreter::encode(interpreter::Input, 4096, -1);
    stream += interpreter::encodeAnswer(3, "abc");
    stream += interpreter::encode(interpreter::Output, "", 0);
    const std::string big(200 * 1024, 'x'); // larger than any read takes
    stream += interpreter::encode(interpreter::Output, big.data(), big.size());
    stream += interpreter::encode(interpreter::Progress, 40);
    stream += interpreter::encode(interpreter::Pages, 0, 3);
    stream += interpreter::encode(interpreter::Result, 0);
    return stream;
}

// What the decoder makes of `stream` fed in pieces of `piece` bytes (0: at
// once), as "type:size" words, and how it ended.
QString decode(const std::string& stream, size_t piece)
{
    interpreter::FrameDecoder decoder;
    QStringList seen;
    interpreter::Message m;
    const size_t step = piece == 0 ? stream.size() : piece;
    auto next = interpreter::FrameDecoder::Next::Incomplete;
    for (size_t at = 0; at < stream.size(); at += step) {
        decoder.append(stream.data() + at, std::min(step, stream.size() - at));
        while ((next = decoder.next(m)) == interpreter::FrameDecoder::Next::Message) {
            QString word = QStringLiteral("%1:%2").arg(QChar(m.type)).arg(m.payload.size());
            if (m.type == interpreter::Answer)
                word += QStringLiteral("=%1,%2").arg(m.first()).arg(
                    QString::fromStdString(m.payload.substr(4)));
            seen << word;
        }
        if (next == interpreter::FrameDecoder::Next::Broken)
            return seen.join(' ') + " broken";
    }
    return seen.join(' ') + (decoder.pending() > 0 ? " incomplete" : "");
}
} // namespace

void TestFrameChannel::decoderCutsStreams_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("frames");
    const std::string run = recordedStream();
    const QString all = "O:24 I:8 A:7=3,abc O:0 O:204800 G:4 P:8 R:4";
    QTest::newRow("all in one read") << QByteArray::fromStdString(run) << all;
    QTest::newRow("truncated in the last header")
        << QByteArray::fromStdString(run.substr(0, run.size() - 7))
        << "O:24 I:8 A:7=3,abc O:0 O:204800 G:4 P:8 incomplete";
    QTest::newRow("truncated in a payload")
        << QByteArray::fromStdString(run.substr(0, 24 + 5 + 100))
        << "O:24 I:8 A:7=3,abc O:0 incomplete";
    std::string oversized = interpreter::encode(interpreter::Progress, 7);
    const uint32_t tooLong = interpreter::MaxFrame + 1;
    oversized += std::string(1, char(interpreter::Output)) +
                 std::string(reinterpret_cast<const char*>(&tooLong), 4) + "xx";
    QTest::newRow("a length beyond the limit")
        << QByteArray::fromStdString(oversized) << "G:4 broken";
}

void TestFrameChannel::decoderCutsStreams()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, frames);
    const std::string bytes = stream.toStdString();
    QCOMPARE(decode(bytes, 0), frames);
    // Split at every byte, and in reads of every size up to a header and
    // a bit, the frames are the same.
    for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(5), size_t(7), size_t(4096)})
        QCOMPARE(decode(bytes, piece), frames);
}

void TestFrameChannel::queuedFramesArrive_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("signal"); // 0: the process exits normally
    QTest::newRow("asleep, then exits") << "sleep" << 0;
    QTest::newRow("invalid memory access") << "fault" << int(SIGSEGV);
    QTest::newRow("abort") << "abort" << int(SIGABRT);
    // A signal that is sent, not caused: the handler must not let the
    // process go on.
    QTest::newRow("SIGBUS sent") << "sent" << int(SIGBUS);
}

void TestFrameChannel::queuedFramesArrive()
{
    QFETCH(QString, ending);
    QFETCH(int, signal);
    int fds[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    const std::string first = interpreter::encode(interpreter::Output, "un\n", 3);
    const std::string progress = interpreter::encode(interpreter::Progress, 40);
    const std::string last = interpreter::encode(interpreter::Output, "deux\n", 5);

    const pid_t pid = ::fork();
    QVERIFY(pid >= 0);
    if (pid == 0) {
        ::close(fds[0]);
        FrameChannel channel(fds[1]);
        channel.sendWaitingOnCrash();
        channel.sendSoon(first);
        channel.send(progress); // takes the first along
        channel.sendSoon(last); // waits
        if (ending == "sleep") {
            ::usleep(1000 * 1000); // the channel's own thread sends it
            ::_exit(0);
        }
        if (ending == "fault") {
            volatile int* volatile nowhere = nullptr;
            *nowhere = 1;
        }
        if (ending == "abort")
            std::abort();
        ::raise(signal);
        ::_exit(3);
    }
    ::close(fds[1]);
    std::string received;
    if (ending == "sleep") {
        // The waiting frame comes while the process is still asleep.
        char buffer[256];
        QElapsedTimer waited;
        waited.start();
        while (received.size() < first.size() + progress.size() + last.size() &&
               waited.elapsed() < 800) {
            pollfd pfd{fds[0], POLLIN, 0};
            if (::poll(&pfd, 1, 10) > 0) {
                const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
                if (n <= 0)
                    break;
                received.append(buffer, size_t(n));
            }
        }
        QCOMPARE(received, first + progress + last);
    }
    char buffer[256];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        received.append(buffer, size_t(n));
    ::close(fds[0]);
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QCOMPARE(received, first + progress + last);
    if (signal == 0) {
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    } else {
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), signal);
    }
}

QTEST_GUILESS_MAIN(TestFrameChannel)
#include "tst_framechannel.moc"
