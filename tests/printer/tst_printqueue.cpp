// The print queue "Folivant" on a real print server of its own: a cupsd in
// a sandbox (its own configuration, spool, logs and socket) with our backend
// and printer description, test accounts made for the run, and jobs sent
// with lp. What the server refuses to pass on (titles with control bytes or
// over its length), and races it would serialise, go to the backend
// directly, run as the server runs it. Needs root, as the server does.

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

Run run(const QString& program, const QStringList& args, const QByteArray& input = {},
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(10000))
        return r;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString binFolder()
{
    return qEnvironmentVariable("FOLIVANT_TEST_BIN", QCoreApplication::applicationDirPath());
}

// A DSC document of `pages` A4 pages, as applications print them.
QByteArray dscDocument(int pages, const QByteArray& tag)
{
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: " + QByteArray::number(pages) +
                    "\n%%BoundingBox: 0 0 595 842\n%%EndComments\n";
    for (int i = 1; i <= pages; ++i) {
        ps += "%%Page: " + QByteArray::number(i) + " " + QByteArray::number(i) + "\n";
        ps += "/Helvetica findfont 24 scalefont setfont 72 720 moveto (" + tag + " " +
              QByteArray::number(i) + ") show showpage\n";
    }
    return ps + "%%Trailer\n%%EOF\n";
}

// Every entry of a folder, hidden ones included, sorted.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestPrintQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void serverCollectsJobs_data();
    void serverCollectsJobs();
    void serverDropsFailedJobsAndGoesOn_data();
    void serverDropsFailedJobsAndGoesOn();
    void serverTakesTenJobsAtOnce();

    void deviceLine();
    void titleBecomesTheName_data();
    void titleBecomesTheName();
    void refusedJobsWriteNothing_data();
    void refusedJobsWriteNothing();
    void linkAtTheNameIsLeftAlone();
    void sameNameTenTimesAtOnce();
    void killedJobLeavesNothing_data();
    void killedJobLeavesNothing();

    void maintainerScriptsFollowTheServer();

private:
    struct Account
    {
        QString name;
        QString home;
        uid_t uid = 0;
    };
    bool addAccount(Account& account, const QString& name, const QString& home);
    QString folderOf(const Account& account) const { return account.home + "/PostScript"; }
    int submit(const Account& account, const QString& title, const QString& file,
               const QString& user = {}, const QStringList& options = {});
    bool waitUntilQueueIsDone();
    Run runBackend(const QStringList& args, const QByteArray& input = {}) const;
    // The same with the title as raw bytes, as the server may pass them.
    Run runBackendTitled(const QString& jobId, const QByteArray& title, const QByteArray& input);
    // The one entry of a folder, checked to be the user's own and private.
    void checkCollected(const Account& account, const QString& name);

    QTemporaryDir m_root;
    QString m_backend;
    QString m_socket;
    QProcess m_server;
    Account m_alice;
    Account m_bob;
    Account m_full;
    bool m_fullMounted = false;
    QStringList m_accounts;
};

bool TestPrintQueue::addAccount(Account& account, const QString& name, const QString& home)
{
    const Run r = run("useradd", {"-M", "-U", "-d", home, "-s", "/usr/sbin/nologin", "-c",
                                  "Folivant test", name});
    if (r.exitCode != 0) {
        qWarning("useradd %s: %s", qPrintable(name), r.err.constData());
        return false;
    }
    m_accounts << name;
    const passwd* entry = ::getpwnam(name.toUtf8().constData());
    if (entry == nullptr)
        return false;
    account = {name, home, entry->pw_uid};
    return QDir().mkpath(home) &&
           ::chown(home.toUtf8().constData(), entry->pw_uid, entry->pw_gid) == 0;
}

void TestPrintQueue::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("The print queue's tests need root: they make test accounts and run a print "
              "server, whose backend runs as root.");
    const QString cupsd = QStandardPaths::findExecutable("cupsd", {"/usr/sbin"});
    QVERIFY2(!cupsd.isEmpty(), "cupsd is missing: run scripts/deps.sh");
    m_backend = QStringLiteral(FOLIVANT_BACKEND);
    QVERIFY2(QFileInfo(m_backend).isExecutable(), qPrintable(m_backend));
    QVERIFY(m_root.isValid());
    // Accounts must reach their homes below it, and the server's own user
    // its spool.
    QVERIFY(::chmod(m_root.path().toUtf8().constData(), 0755) == 0);

    const QString tag = QString::number(::getpid());
    QVERIFY(addAccount(m_alice, "fvt" + tag + "a", m_root.filePath("home/alice")));
    QVERIFY(addAccount(m_bob, "fvt" + tag + "b", m_root.filePath("home/bob")));
    QVERIFY(addAccount(m_full, "fvt" + tag + "f", m_root.filePath("home/full")));
    // A home on a disk of 64 KiB, of which jobs of a few hundred fill it.
    const QByteArray fullHome = m_full.home.toUtf8();
    QVERIFY2(::mount("tmpfs", fullHome.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                     "size=64k,mode=0755") == 0,
             "cannot mount a small home folder");
    m_fullMounted = true;
    QVERIFY(::chown(fullHome.constData(), m_full.uid, static_cast<gid_t>(-1)) == 0);

    // The server's sandbox: its own folders, the system's filters, and our
    // backend owned by root with mode 0700, as the package installs it.
    const QString server = m_root.filePath("server");
    for (const char* folder : {"etc", "cache", "state", "spool/tmp", "log", "lib/backend"})
        QVERIFY(QDir().mkpath(server + "/" + folder));
    for (const char* folder : {"filter", "cgi-bin", "daemon", "notifier", "monitor", "driver"}) {
        const QString system = QStringLiteral("/usr/lib/cups/") + folder;
        if (QFileInfo::exists(system))
            QVERIFY(QFile::link(system, server + "/lib/" + folder));
    }
    const QString backend = server + "/lib/backend/folivant";
    QVERIFY(QFile::copy(m_backend, backend));
    QVERIFY(::chmod(backend.toUtf8().constData(), 0700) == 0);
    m_socket = m_root.filePath("cups.sock");
    QVERIFY(testsupport::writeFile(server + "/etc/cups-files.conf",
                                   QStringLiteral("ServerRoot %1/etc\nCacheDir %1/cache\n"
                                                  "StateDir %1/state\nRequestRoot %1/spool\n"
                                                  "TempDir %1/spool/tmp\nServerBin %1/lib\n"
                                                  "DataDir /usr/share/cups\n"
                                                  "ErrorLog %1/log/error_log\n"
                                                  "AccessLog %1/log/access_log\n"
                                                  "PageLog %1/log/page_log\n"
                                                  "SystemGroup root\n")
                                       .arg(server)
                                       .toUtf8()));
    QVERIFY(testsupport::writeFile(server + "/etc/cupsd.conf",
                                   QStringLiteral("Listen %1\nLogLevel debug\nBrowsing No\n"
                                                  "WebInterface No\nDefaultAuthType None\n"
                                                  "<Location />\n  Order allow,deny\n"
                                                  "  Allow all\n</Location>\n"
                                                  "<Policy default>\n  <Limit All>\n"
                                                  "    Order deny,allow\n  </Limit>\n"
                                                  "</Policy>\n")
                                       .arg(m_socket)
                                       .toUtf8()));
    // The server goes with this test, however the test ends.
    m_server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(cupsd,
                   {"-f", "-c", server + "/etc/cupsd.conf", "-s", server + "/etc/cups-files.conf"});
    QVERIFY(m_server.waitForStarted());
    qputenv("CUPS_SERVER", m_socket.toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(run("lpstat", {"-r"}).out.trimmed() == "scheduler is running", 10000);

    // The queue as the package adds it.
    const Run added = run(binFolder() + "/folivant-printer", {"add"});
    QVERIFY2(added.exitCode == 0, added.err.constData());
    QVERIFY2(!added.err.contains("deprecated"), added.err.constData());
    const Run queue = run("lpstat", {"-l", "-p", "Folivant"});
    QVERIFY2(queue.out.contains("printer Folivant is idle"), queue.out.constData());
    QVERIFY(run("lpstat", {"-v", "Folivant"}).out.contains("folivant:/"));
}

void TestPrintQueue::cleanupTestCase()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(10000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }
    if (m_fullMounted)
        ::umount2(m_full.home.toUtf8().constData(), MNT_DETACH);
    for (const QString& name : std::as_const(m_accounts))
        run("userdel", {name});
}

void TestPrintQueue::init()
{
    // Every test starts from homes without a PostScript folder.
    for (const Account* account : {&m_alice, &m_bob, &m_full}) {
        const QString folder = folderOf(*account);
        if (QFileInfo(folder).isSymLink() || QFileInfo(folder).isFile())
            QFile::remove(folder);
        else
            QDir(folder).removeRecursively();
    }
}

int TestPrintQueue::submit(const Account& account, const QString& title, const QString& file,
                           const QString& user, const QStringList& options)
{
    const QStringList who{"-d", "Folivant", "-U", user.isEmpty() ? account.name : user,
                          "-t", title};
    const Run r = run("lp", who + options + QStringList{file});
    const QRegularExpressionMatch m =
        QRegularExpression("request id is Folivant-(\\d+)").match(QString::fromUtf8(r.out));
    if (!m.hasMatch())
        qWarning("lp: %s %s", r.out.constData(), r.err.constData());
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

bool TestPrintQueue::waitUntilQueueIsDone()
{
    for (int i = 0; i < 300; ++i) {
        if (run("lpstat", {"-W", "not-completed", "-o", "Folivant"}).out.trimmed().isEmpty())
            return true;
        QThread::msleep(100);
    }
    return false;
}

Run TestPrintQueue::runBackend(const QStringList& args, const QByteArray& input) const
{
    // What the server gives a backend, and a HOME that is nobody's home:
    // the job's folder comes from the account, never from the environment.
    QProcessEnvironment env;
    env.insert("PATH", "/usr/bin:/bin");
    env.insert("DEVICE_URI", "folivant:/");
    env.insert("PRINTER", "Folivant");
    env.insert("CONTENT_TYPE", "application/postscript");
    env.insert("HOME", "/etc");
    return run(m_backend, args, input, env);
}

Run TestPrintQueue::runBackendTitled(const QString& jobId, const QByteArray& title,
                                     const QByteArray& input)
{
    const QString titleFile = m_root.filePath("title");
    if (!testsupport::writeFile(titleFile, title))
        return {};
    QProcessEnvironment env;
    env.insert("PATH", "/usr/bin:/bin");
    env.insert("DEVICE_URI", "folivant:/");
    env.insert("HOME", "/etc");
    return run("sh",
               {"-c", "exec \"$0\" \"$1\" \"$2\" \"$(cat \"$3\")\" 1 ''", m_backend, jobId,
                m_alice.name, titleFile},
               input, env);
}

void TestPrintQueue::checkCollected(const Account& account, const QString& name)
{
    const QString folder = folderOf(account);
    QCOMPARE(entries(folder), QStringList{name});
    struct stat info = {};
    QVERIFY(::lstat(folder.toUtf8().constData(), &info) == 0);
    QCOMPARE(info.st_uid, account.uid);
    QCOMPARE(info.st_mode & 07777, 0700u);
    QVERIFY(::lstat((folder + "/" + name).toUtf8().constData(), &info) == 0);
    QVERIFY(S_ISREG(info.st_mode));
    QCOMPARE(info.st_uid, account.uid);
    QCOMPARE(info.st_mode & 07777, 0600u);
}

void TestPrintQueue::serverCollectsJobs_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("PostScript") << dscDocument(3, "Rapport") << "Rapport annuel"
                                << "Rapport annuel" << 3 << QStringList();
    QTest::newRow("plain text") << QByteArray("Page 1\nLigne é\fPage 2\fPage 3\n") << "notes.txt"
                                << "notes.txt" << 3 << QStringList();
    QTest::newRow("title with ../") << dscDocument(1, "x") << "../../etc/cron.d/tâche"
                                    << "_.._etc_cron.d_tâche" << 1 << QStringList();
    // No filter runs: the server hands the backend its spool file by name.
    QTest::newRow("raw") << dscDocument(2, "brut") << "brut"
                         << "brut" << 2 << QStringList{"-o", "raw"};
}

void TestPrintQueue::serverCollectsJobs()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, title);
    QFETCH(QString, name);
    QFETCH(int, pages);
    QFETCH(QStringList, options);
    const QString source = m_root.filePath("source");
    QVERIFY(testsupport::writeFile(source, content));
    const int job = submit(m_alice, title, source, {}, options);
    QVERIFY(job > 0);
    QVERIFY(waitUntilQueueIsDone());
    const QString fileName = QStringLiteral("%1-%2.ps").arg(name).arg(job);
    checkCollected(m_alice, fileName);
    if (QTest::currentTestFailed())
        return;
    const QString collected = folderOf(m_alice) + "/" + fileName;
    QVERIFY(testsupport::readFile(collected).startsWith("%!PS"));
    if (!options.isEmpty())
        QCOMPARE(testsupport::readFile(collected), content);

    const QString pdf = m_root.filePath("collected.pdf");
    const Run converted = run(binFolder() + "/folivant-convert", {"-o", pdf, collected});
    QVERIFY2(converted.exitCode == 0, converted.err.constData());
    const testsupport::PdfInfo info = testsupport::readPdf(pdf);
    QVERIFY2(info.ok, qPrintable(info.error));
    QCOMPARE(info.pageCount, pages);
}

void TestPrintQueue::serverDropsFailedJobsAndGoesOn_data()
{
    QTest::addColumn<QString>("who");
    QTest::newRow("no such account") << "nobody here";
    QTest::newRow("full disk") << "full";
}

void TestPrintQueue::serverDropsFailedJobsAndGoesOn()
{
    QFETCH(QString, who);
    // A job larger than the small home holds.
    const QString big = m_root.filePath("big.ps");
    QByteArray ps = dscDocument(1, "x");
    QByteArray filler;
    for (int i = 0; i < 4000; ++i)
        filler += "% " + QByteArray(60, 'x') + "\n";
    ps.insert(ps.indexOf("%%Trailer"), filler);
    QVERIFY(testsupport::writeFile(big, ps));
    const bool full = who == "full";
    QVERIFY(submit(m_full, "trop gros", big,
                   full ? QString() : QStringLiteral("fvtnosuch%1").arg(::getpid())) > 0);
    QVERIFY(waitUntilQueueIsDone());
    QCOMPARE(entries(m_full.home), full ? QStringList{"PostScript"} : QStringList{});
    if (full)
        QCOMPARE(entries(folderOf(m_full)), QStringList{});

    // The queue neither stopped nor holds the job for a retry: the next
    // job goes through at once.
    const QString small = m_root.filePath("small.ps");
    QVERIFY(testsupport::writeFile(small, dscDocument(1, "ensuite")));
    const int next = submit(m_alice, "ensuite", small);
    QVERIFY(waitUntilQueueIsDone());
    checkCollected(m_alice, QStringLiteral("ensuite-%1.ps").arg(next));
    QVERIFY(run("lpstat", {"-p", "Folivant"}).out.contains("enabled"));
}

void TestPrintQueue::serverTakesTenJobsAtOnce()
{
    const QString source = m_root.filePath("ten.ps");
    QVERIFY(testsupport::writeFile(source, dscDocument(2, "dix")));
    QList<QProcess*> clients;
    for (int i = 0; i < 10; ++i) {
        auto* lp = new QProcess(this);
        lp->start("lp", {"-d", "Folivant", "-U", m_alice.name, "-t", "dix", source});
        clients << lp;
    }
    for (QProcess* lp : std::as_const(clients)) {
        QVERIFY(lp->waitForFinished(30000));
        QCOMPARE(lp->exitCode(), 0);
        delete lp;
    }
    QVERIFY(waitUntilQueueIsDone());
    const QStringList files = entries(folderOf(m_alice));
    QCOMPARE(files.size(), 10);
    QStringList paths;
    for (const QString& file : files) {
        QVERIFY2(QRegularExpression("^dix-\\d+\\.ps$").match(file).hasMatch(), qPrintable(file));
        paths << folderOf(m_alice) + "/" + file;
    }
    // Every one whole: all twenty pages come out.
    const QString pdf = m_root.filePath("ten.pdf");
    const Run converted = run(binFolder() + "/folivant-convert", QStringList{"-o", pdf} + paths);
    QVERIFY2(converted.exitCode == 0, converted.err.constData());
    QCOMPARE(testsupport::readPdf(pdf).pageCount, 20);
}

void TestPrintQueue::deviceLine()
{
    const Run r = runBackend({});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out,
             QByteArray("direct folivant:/ \"Folivant\" \"Folivant (fichiers PostScript)\"\n"));
}

void TestPrintQueue::titleBecomesTheName_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QString>("name");
    QTest::newRow("lines") << QByteArray("Rapport\r\nannuel\n") << "Rapport annuel";
    QTest::newRow("../") << QByteArray("../../etc/passwd") << "_.._etc_passwd";
    QTest::newRow("hidden") << QByteArray(" .profile") << "profile";
    QTest::newRow("1000 bytes, cut between characters")
        << QString(500, QChar(0xE9)).toUtf8() << QString(100, QChar(0xE9));
    QTest::newRow("invalid UTF-8") << QByteArray("caf\xe9 cr\xc3\xa8me \xc0\xaf") << "caf crème";
    QTest::newRow("controls only") << QByteArray("\x01\x1b\x7f\xc2\x85") << "Document";
    QTest::newRow("direction override")
        << QByteArray("facture\xe2\x80\xaesp.exe") << "facturesp.exe";
}

void TestPrintQueue::titleBecomesTheName()
{
    QFETCH(QByteArray, title);
    QFETCH(QString, name);
    const QByteArray content = dscDocument(1, "titre");
    const Run r = runBackendTitled("31", title, content);
    QCOMPARE(r.exitCode, 0);
    checkCollected(m_alice, name + "-31.ps");
    QCOMPARE(testsupport::readFile(folderOf(m_alice) + "/" + name + "-31.ps"), content);
}

void TestPrintQueue::refusedJobsWriteNothing_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("plant");
    QTest::addColumn<QString>("jobId");
    QTest::newRow("no such account") << "nosuch"
                                     << ""
                                     << "40";
    QTest::newRow("system account") << "daemon"
                                    << ""
                                    << "41";
    QTest::newRow("PostScript links to /etc") << "bob"
                                              << "/etc"
                                              << "42";
    QTest::newRow("PostScript links to another's folder") << "bob"
                                                          << "alice"
                                                          << "43";
    QTest::newRow("PostScript is a file") << "bob"
                                          << "file"
                                          << "44";
    QTest::newRow("full disk") << "full"
                               << ""
                               << "45";
    QTest::newRow("not a job number") << "alice"
                                      << ""
                                      << "../46";
}

void TestPrintQueue::refusedJobsWriteNothing()
{
    QFETCH(QString, user);
    QFETCH(QString, plant);
    QFETCH(QString, jobId);
    const QString title = QStringLiteral("fvt-refused-%1").arg(::getpid());
    QVERIFY(QDir().mkpath(folderOf(m_alice)));
    QVERIFY(::chown(folderOf(m_alice).toUtf8().constData(), m_alice.uid, static_cast<gid_t>(-1)) ==
            0);
    const QString bobFolder = folderOf(m_bob);
    if (plant == "/etc")
        QVERIFY(QFile::link("/etc", bobFolder));
    else if (plant == "alice")
        QVERIFY(QFile::link(folderOf(m_alice), bobFolder));
    else if (plant == "file")
        QVERIFY(testsupport::writeFile(bobFolder, "not a folder"));
    QString name = user;
    if (user == "nosuch")
        name = QStringLiteral("fvtnosuch%1").arg(::getpid());
    for (const Account* account : {&m_alice, &m_bob, &m_full}) {
        if (user == QFileInfo(account->home).fileName())
            name = account->name;
    }
    const QStringList fullBefore = entries(m_full.home);

    // Larger than the small home holds.
    const Run r =
        runBackend({jobId, name, title, "1", ""}, dscDocument(1, QByteArray(100 * 1024, 'x')));
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.startsWith("ERROR: "), r.err.constData());
    QCOMPARE(entries(folderOf(m_alice)), QStringList{});
    QCOMPARE(entries("/etc").filter(title), QStringList{});
    QCOMPARE(QFileInfo(bobFolder).isSymLink(), !plant.isEmpty() && plant != "file");
    if (plant == "file")
        QCOMPARE(testsupport::readFile(bobFolder), QByteArray("not a folder"));
    if (user == "full") {
        QCOMPARE(entries(folderOf(m_full)), QStringList{});
        // The disk holds what fits: nothing of the failed job is left in it.
        const QByteArray small = dscDocument(1, "petit");
        QCOMPARE(runBackend({"47", m_full.name, "petit", "1", ""}, small).exitCode, 0);
        checkCollected(m_full, "petit-47.ps");
        QCOMPARE(testsupport::readFile(folderOf(m_full) + "/petit-47.ps"), small);
    } else {
        QCOMPARE(entries(m_full.home), fullBefore);
    }
}

void TestPrintQueue::linkAtTheNameIsLeftAlone()
{
    const QString folder = folderOf(m_alice);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(::chown(folder.toUtf8().constData(), m_alice.uid, static_cast<gid_t>(-1)) == 0);
    const QString target = m_root.filePath("victim");
    QVERIFY(QFile::link(target, folder + "/Piège-50.ps"));
    const QByteArray content = dscDocument(1, "piege");
    QCOMPARE(runBackend({"50", m_alice.name, "Piège", "1", ""}, content).exitCode, 0);
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(QFileInfo(folder + "/Piège-50.ps").isSymLink());
    QCOMPARE(entries(folder), (QStringList{"Piège-50 (2).ps", "Piège-50.ps"}));
    QCOMPARE(testsupport::readFile(folder + "/Piège-50 (2).ps"), content);
}

void TestPrintQueue::sameNameTenTimesAtOnce()
{
    // Ten backends race for one name: none replaces another's file.
    QList<QProcess*> jobs;
    QSet<QByteArray> sent;
    for (int i = 0; i < 10; ++i) {
        auto* job = new QProcess(this);
        job->start(m_backend, {"60", m_alice.name, "Même titre", "1", ""});
        const QByteArray content = dscDocument(1 + i % 3, "job " + QByteArray::number(i));
        sent << content;
        job->write(content);
        job->closeWriteChannel();
        jobs << job;
    }
    for (QProcess* job : std::as_const(jobs)) {
        QVERIFY(job->waitForFinished(30000));
        QCOMPARE(job->exitCode(), 0);
        delete job;
    }
    const QStringList files = entries(folderOf(m_alice));
    QCOMPARE(files.size(), 10);
    QSet<QByteArray> received;
    for (const QString& file : files) {
        QVERIFY2(
            QRegularExpression("^Même titre-60( \\(([2-9]|10)\\))?\\.ps$").match(file).hasMatch(),
            qPrintable(file));
        received << testsupport::readFile(folderOf(m_alice) + "/" + file);
    }
    QCOMPARE(received, sent);
}

void TestPrintQueue::killedJobLeavesNothing_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("cancelled (SIGTERM)") << int(SIGTERM);
    QTest::newRow("killed (SIGKILL)") << int(SIGKILL);
}

void TestPrintQueue::killedJobLeavesNothing()
{
    QFETCH(int, signalNumber);
    QProcess job;
    job.start(m_backend, {"70", m_alice.name, "interrompu", "1", ""});
    QVERIFY(job.waitForStarted());
    job.write(QByteArray(64 * 1024, '%'));
    QVERIFY(job.waitForBytesWritten());
    // Wait until the job's file is open and half written, then end it.
    const QString fds = QStringLiteral("/proc/%1/fd").arg(job.processId());
    const auto writing = [&] {
        for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System)) {
            char target[4096] = {};
            const QByteArray link = (fds + "/" + fd).toUtf8();
            if (::readlink(link.constData(), target, sizeof target - 1) > 0 &&
                QString::fromUtf8(target).startsWith(folderOf(m_alice)))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(writing(), 5000);
    ::kill(static_cast<pid_t>(job.processId()), signalNumber);
    QVERIFY(job.waitForFinished());
    QCOMPARE(job.exitStatus(), QProcess::CrashExit);
    QCOMPARE(entries(folderOf(m_alice)), QStringList{});
}

void TestPrintQueue::maintainerScriptsFollowTheServer()
{
    // As the package manager runs them, folivant-printer on the PATH.
    const QString scripts = QStringLiteral(FOLIVANT_SOURCE_DIR "/dist/deb/");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", binFolder() + ":/usr/sbin:/usr/bin:/sbin:/bin");
    const auto queueExists = [] { return run("lpstat", {"-p", "Folivant"}).exitCode == 0; };
    QCOMPARE(run("sh", {scripts + "prerm", "upgrade", "2.0.0"}, {}, env).exitCode, 0);
    QVERIFY(queueExists());
    QCOMPARE(run("sh", {scripts + "prerm", "remove"}, {}, env).exitCode, 0);
    QVERIFY(!queueExists());
    // Without a server the installation goes on and adds nothing.
    QProcessEnvironment noServer = env;
    noServer.insert("CUPS_SERVER", m_root.filePath("no-server.sock"));
    QCOMPARE(run("sh", {scripts + "postinst", "configure"}, {}, noServer).exitCode, 0);
    QVERIFY(!queueExists());
    const Run refused = run(binFolder() + "/folivant-printer", {"add"}, {}, noServer);
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains("no print server answers"), refused.err.constData());
    QCOMPARE(run("sh", {scripts + "postinst", "configure", ""}, {}, env).exitCode, 0);
    QVERIFY(queueExists());
    // Other machines may not send jobs into this machine's home folders.
    const Run options = run("lpoptions", {"-p", "Folivant"});
    QVERIFY2(options.out.contains("printer-is-shared=false"), options.out.constData());
}

QTEST_GUILESS_MAIN(TestPrintQueue)
#include "tst_printqueue.moc"
