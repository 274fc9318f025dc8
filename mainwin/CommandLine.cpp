#include "mainwin/CommandLine.h"

namespace mainwin {

namespace {
QString helpText()
{
    return QStringLiteral(
        "Usage: folivant [OPTION]... [--] [FILE]...\n"
        "Opens Folivant's window, which turns PostScript files into one PDF.\n"
        "The FILEs become its sources, in that order, and the window opens on\n"
        "the page that converts them.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and the licence and exit\n"
        "  --             end the options: the names after it are files, even\n"
        "                 those that begin with \"-\"\n"
        "\n"
        "folivant-convert makes the same PDF from a terminal, without a window.\n");
}

QString versionText()
{
    return QStringLiteral("Folivant " FOLIVANT_VERSION "\n"
                          "Copyright 2003 Quorvex\n"
                          "License AGPL-3.0-or-later: GNU Affero General Public License, "
                          "version 3 or later\n"
                          "<https://www.gnu.org/licenses/agpl-3.0.html>. There is NO WARRANTY.\n"
                          "Conversions run on Ghostscript's library, libgs, by Artifex "
                          "Software, Inc.,\n"
                          "under the same licence.\n");
}
} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool options = true;
    for (const QString& argument : arguments) {
        if (!options || argument.isEmpty() || !argument.startsWith(QLatin1Char('-'))) {
            line.files.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            options = false;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return {CommandLine::Action::Help, {}, helpText()};
        } else if (argument == QLatin1String("--version")) {
            return {CommandLine::Action::Version, {}, versionText()};
        } else {
            return {CommandLine::Action::Refuse,
                    {},
                    QStringLiteral("folivant: unknown option \"%1\"\n"
                                   "Try \"folivant --help\"; a file whose name begins with "
                                   "\"-\" goes after \"--\".\n")
                        .arg(argument)};
        }
    }
    return line;
}

} // namespace mainwin
