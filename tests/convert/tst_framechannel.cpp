// The interpreter process's channel: frames queued for a moment arrive in
// order and whole, while the process sleeps and when it crashes.

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
};

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
    const std::string first = interpreter::frame(interpreter::Output, "un\n", 3);
    const std::string progress = interpreter::intFrame(interpreter::Progress, 40);
    const std::string last = interpreter::frame(interpreter::Output, "deux\n", 5);

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
