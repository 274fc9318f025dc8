#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

RecordingOpener::RecordingOpener()
{
    const QString script = m_dir.filePath("xdg-open");
    QFile f(script);
    if (f.open(QIODevice::WriteOnly)) {
        f.write("#!/bin/sh\n"
                "log=\"$(dirname \"$0\")/calls.log\"\n"
                "(IFS=\"$(printf '\\t')\"; echo \"$*\") >> \"$log\"\n");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    m_oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_dir.path()) + ":" + m_oldPath);
}

RecordingOpener::~RecordingOpener()
{
    qputenv("PATH", m_oldPath);
}

QStringList RecordingOpener::calls(int atLeast, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    QStringList lines;
    for (;;) {
        QFile f(m_dir.filePath("calls.log"));
        lines.clear();
        if (f.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromUtf8(f.readAll());
            lines = text.split('\n', Qt::SkipEmptyParts);
        }
        if (lines.size() >= atLeast || deadline.hasExpired())
            return lines;
        QThread::msleep(20);
    }
}

PdfInfo readPdf(const QString& path)
{
    PdfInfo info;
    try {
        QPDF pdf;
        pdf.processFile(QFile::encodeName(path).constData());
        info.version = QString::fromStdString(pdf.getPDFVersion());
        QPDFPageDocumentHelper doc(pdf);
        std::vector<QPDFPageObjectHelper> pages = doc.getAllPages();
        for (auto& page : pages) {
            QPDFObjectHandle box = page.getAttribute("/MediaBox", false);
            QList<double> values;
            if (box.isArray())
                for (auto& item : box.getArrayAsVector())
                    values.append(item.getNumericValue());
            info.mediaBoxes.append(values);
        }
        info.pageCount = int(info.mediaBoxes.size());
        QPDFObjectHandle docInfo = pdf.getTrailer().getKey("/Info");
        const auto text = [&docInfo](const char* key) {
            if (!docInfo.isDictionary() || !docInfo.getKey(key).isString())
                return QString();
            return QString::fromStdString(docInfo.getKey(key).getUTF8Value());
        };
        info.title = text("/Title");
        info.creator = text("/Creator");
        QPDFOutlineDocumentHelper outlines(pdf);
        for (QPDFOutlineObjectHelper& entry : outlines.getTopLevelOutlines()) {
            const QPDFObjGen target = entry.getDestPage().getObjGen();
            int number = 0;
            for (size_t i = 0; i < pages.size() && number == 0; ++i) {
                if (pages[i].getObjectHandle().getObjGen() == target)
                    number = int(i) + 1;
            }
            info.outline.append({QString::fromStdString(entry.getTitle()), number});
        }
        info.ok = true;
    } catch (const std::exception& e) {
        info.error = QString::fromLocal8Bit(e.what());
    }
    return info;
}

QStringList splitExecLine(QString exec)
{
    exec.replace("%%", "%");
    QProcess sh;
    sh.start("/bin/sh", {"-c", "set -- " + exec + "; for a; do printf '%s\\0' \"$a\"; done"});
    sh.waitForFinished();
    QStringList args;
    for (const QByteArray& part : sh.readAllStandardOutput().split('\0'))
        if (!part.isEmpty())
            args << QString::fromUtf8(part);
    return args;
}

QString desktopEntryErrors(const QString& desktopFile)
{
    QProcess check;
    check.start("desktop-file-validate", {desktopFile});
    if (!check.waitForFinished())
        return "desktop-file-validate did not run";
    const QString output =
        QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
    return check.exitCode() == 0 ? output : output + " (exit code)";
}

namespace {
QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

// Mounts made after this stay in this process and its children, and go
// when they end.
QString enterPrivateMountNamespace()
{
    if (::unshare(CLONE_NEWNS) != 0)
        return systemError("unshare(CLONE_NEWNS)");
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return systemError("making / private");
    return {};
}
} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& folder) : m_folder(QFile::encodeName(folder))
{
    if (::geteuid() != 0) {
        struct stat info;
        if (::stat(m_folder.constData(), &info) != 0 ||
            ::chmod(m_folder.constData(), info.st_mode & 0555) != 0)
            m_failure = systemError("chmod");
        else
            m_oldMode = int(info.st_mode & 07777);
        return;
    }
    static const QString isolation = enterPrivateMountNamespace();
    if (!isolation.isEmpty()) {
        m_failure = isolation;
        return;
    }
    const char* path = m_folder.constData();
    if (::mount(path, path, nullptr, MS_BIND, nullptr) != 0) {
        m_failure = systemError("bind mount");
        return;
    }
    if (::mount(nullptr, path, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        m_failure = systemError("read-only remount");
        ::umount2(path, MNT_DETACH);
        return;
    }
    m_mounted = true;
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_mounted)
        ::umount2(m_folder.constData(), MNT_DETACH);
    if (m_oldMode >= 0)
        ::chmod(m_folder.constData(), mode_t(m_oldMode));
}

SmallDisk::SmallDisk(const QString& folder, int kib) : m_folder(QFile::encodeName(folder))
{
    if (::geteuid() != 0) {
        m_failure = QStringLiteral("mounting a file system needs root");
        return;
    }
    static const QString isolation = enterPrivateMountNamespace();
    if (!isolation.isEmpty()) {
        m_failure = isolation;
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0777";
    if (::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options.constData()) != 0)
        m_failure = systemError("mount tmpfs");
}

SmallDisk::~SmallDisk()
{
    if (m_failure.isEmpty())
        ::umount2(m_folder.constData(), MNT_DETACH);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size() && f.flush();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int runningInterpreter(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    const QByteArray parent = QByteArray::number(QCoreApplication::applicationPid());
    do {
        const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& pid : pids) {
            // "pid (name) state ppid ...": the name may hold blanks.
            const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
            const int close = stat.lastIndexOf(')');
            const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
            // A child started ahead of its job waits on its channel ("S");
            // the running one works.
            if (close > 0 && stat.contains("(folivant-interp") && fields.size() > 1 &&
                fields[1] == parent && fields[0] == "R")
                return pid.toInt();
        }
        QTest::qWait(20);
    } while (clock.elapsed() < timeoutMs);
    return -1;
}

} // namespace testsupport
