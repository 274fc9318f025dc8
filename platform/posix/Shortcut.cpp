#include "platform/Shortcut.h"

#include "platform/SafeFiles.h"

#include <QFileInfo>

namespace platform {

namespace {

// Escapes of the desktop entry's string and localestring values.
QString escapeValue(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    // Leading blanks would be taken for the separator's.
    if (out.startsWith(QLatin1Char(' ')))
        out.replace(0, 1, QLatin1String("\\s"));
    return out;
}

} // namespace

QString shortcutPath(const QString& folder, const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return QString();
    return folder + name + QStringLiteral(".desktop");
}

QString quoteExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString out = argument;
    out.replace(QLatin1Char('%'), QLatin1String("%%"));
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    if (!needsQuotes)
        return out;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : out) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

bool writeShortcut(const ShortcutEntry& shortcut, QString* error)
{
    const QFileInfo target(shortcut.target);
    QString exec;
    if (target.isFile() && target.isExecutable()) {
        exec = quoteExecArgument(shortcut.target);
        if (!shortcut.arguments.isEmpty()) {
            QString arguments = shortcut.arguments;
            exec += QLatin1Char(' ') + arguments.replace(QLatin1Char('%'), QLatin1String("%%"));
        }
    } else {
        exec = QStringLiteral("xdg-open ") + quoteExecArgument(shortcut.target);
    }
    const QString name =
        shortcut.name.isEmpty() ? QFileInfo(shortcut.linkFile).completeBaseName() : shortcut.name;

    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\n");
    text += QStringLiteral("Name=") + escapeValue(name) + QLatin1Char('\n');
    if (!shortcut.description.isEmpty())
        text += QStringLiteral("Comment=") + escapeValue(shortcut.description) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + escapeValue(exec) + QLatin1Char('\n');
    if (!shortcut.workingFolder.isEmpty())
        text += QStringLiteral("Path=") + escapeValue(shortcut.workingFolder) + QLatin1Char('\n');
    if (!shortcut.iconFile.isEmpty())
        text += QStringLiteral("Icon=") + escapeValue(shortcut.iconFile) + QLatin1Char('\n');
    if (!shortcut.categories.isEmpty())
        text +=
            QStringLiteral("Categories=") + escapeValue(shortcut.categories) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");

    // Menus only list entries they may read; launchers want them executable.
    // Whatever stands at the name is replaced, never written through.
    return replaceFileWhole(shortcut.linkFile, text.toUtf8(), 0744, error);
}

} // namespace platform
