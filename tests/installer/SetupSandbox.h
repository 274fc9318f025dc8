#pragma once
// A throw-away machine for the setup programs: home, XDG folders and the
// system root all point into one temporary folder, fixture distributions
// are written there, and message boxes are answered and recorded.

#include "installer/InstallSteps.h"
#include "platform/KnownFolders.h"
#include "platform/MessageBox.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QTemporaryDir>

namespace setuptest {

enum class Scope { Machine, User };

class SetupSandbox
{
public:
    explicit SetupSandbox(Scope scope)
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "SETWELL_SYSTEM_ROOT"})
            m_saved.append({name, qgetenv(name)});
        const QString base = m_dir.path();
        QDir().mkpath(base + "/home/.local/share");
        QDir().mkpath(base + "/home/.config");
        qputenv("HOME", QFile::encodeName(base + "/home"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(base + "/home/.local/share"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + "/home/.config"));
        if (scope == Scope::Machine) {
            QDir().mkpath(base + "/root/opt");
            qputenv("SETWELL_SYSTEM_ROOT", QFile::encodeName(base + "/root"));
        } else {
            // No registry can be made below a regular file, even by root.
            testsupport::writeFile(base + "/blocked", "not a folder");
            qputenv("SETWELL_SYSTEM_ROOT", QFile::encodeName(base + "/blocked/root"));
        }
    }
    ~SetupSandbox()
    {
        for (const auto& [name, value] : m_saved) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }
    SetupSandbox(const SetupSandbox&) = delete;
    SetupSandbox& operator=(const SetupSandbox&) = delete;

    QString path(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? m_dir.path() : m_dir.path() + "/" + relative;
    }
    QString root() const { return path("root"); }
    QString menuFolder() const { return path("home/.local/share/applications/"); }

private:
    QTemporaryDir m_dir;
    QList<QPair<const char*, QByteArray>> m_saved;
};

struct LogEntry
{
    QString fileName; // '\' separated, as the log has it
    QString tag;
    QByteArray content;
    bool executable = false;
    bool inDistribution = true;
};

struct LogFixture
{
    QString product = "Produit d'essai";
    QString folder = "Essai";
    QString group = "Essai Groupe";
    QString extra = "settings.dat";
    QList<LogEntry> entries;
};

// Install.log bytes: Windows-1252 (Latin-1 for the texts used here), CR LF,
// one empty trailer line.
inline QByteArray logBytes(const LogFixture& fixture)
{
    QList<QString> lines{"Quorvex Setwell 2.0 - Install.log",
                         "Nicht verändern, nicht löschen!",
                         fixture.product,
                         fixture.folder,
                         fixture.group,
                         fixture.extra,
                         QString::number(fixture.entries.size())};
    for (const LogEntry& entry : fixture.entries)
        lines << entry.fileName << entry.tag;
    lines << QString();
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

// Writes a distribution folder: Install.log and the entries' files.
inline bool writeDistribution(const QString& folder, const LogFixture& fixture)
{
    if (!testsupport::writeFile(folder + "/Install.log", logBytes(fixture)))
        return false;
    for (const LogEntry& entry : fixture.entries) {
        if (!entry.inDistribution || entry.fileName == "Install.log")
            continue;
        const QString path = folder + "/" + QString(entry.fileName).replace('\\', '/');
        if (!testsupport::writeFile(path, entry.content))
            return false;
        if (entry.executable &&
            !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return false;
    }
    return true;
}

// Answers every box with `answer` and keeps what was asked.
class MessageRecorder
{
public:
    explicit MessageRecorder(platform::MsgAnswer answer = platform::MsgAnswer::Ok)
    {
        platform::setMessageHandler([this, answer](const platform::MessageRequest& request) {
            boxes.append(request);
            return answer;
        });
    }
    ~MessageRecorder() { platform::setMessageHandler({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList texts() const
    {
        QStringList out;
        for (const auto& box : boxes)
            out << box.text;
        return out;
    }
    QList<platform::MessageRequest> boxes;
};

struct ProgressRecorder : setupkit::SetupProgress
{
    void showProgressWindow() override { events << "show"; }
    void setProgressText(const QString& text) override { texts << text; }
    void setWaitCursor(bool wait) override { events << (wait ? "wait" : "arrow"); }
    QWidget* progressWindow() const override { return owner; }
    void finish(const QString& text, const QString& caption, int code) override
    {
        exitCode = code;
        setupkit::SetupProgress::finish(text, caption, code);
    }

    QStringList events;
    QStringList texts;
    QWidget* owner = nullptr;
    int exitCode = -1;
};

// A desktop entry's value with the string escapes undone.
inline QString desktopValue(const QString& file, const QByteArray& key)
{
    for (const QByteArray& line : testsupport::readFile(file).split('\n')) {
        if (!line.startsWith(key + "="))
            continue;
        const QString raw = QString::fromUtf8(line.mid(key.size() + 1));
        QString out;
        for (int i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                const QChar c = raw[++i];
                out += c == 's' ? QChar(' ') : c == 'n' ? QChar('\n') : c;
            } else {
                out += raw[i];
            }
        }
        return out;
    }
    return QString();
}

// The words a launcher makes of an entry's Exec line (its quoting is the
// shell's double quotes).
inline QStringList execArguments(const QString& desktopFile)
{
    return testsupport::splitExecLine(desktopValue(desktopFile, "Exec"));
}

inline QString validationErrors(const QString& desktopFile)
{
    return testsupport::desktopEntryErrors(desktopFile);
}

// Runs the installer's steps as "Suivant >" does, with the proposed folder
// or another one typed into the second field.
inline installer::Installer install(const QString& distribution, const QString& installField,
                                    ProgressRecorder& progress)
{
    installer::Installer work;
    if (!setupkit::ReadInstallLog(distribution + "/", work.log))
        return work;
    const installer::BaseFolder base = installer::DefaultBaseFolder();
    work.PerUserInstall = base.perUser;
    work.WindowsFolder = platform::windowsFolder();
    installer::RunInstallation(work, distribution, installField, progress);
    return work;
}

} // namespace setuptest
