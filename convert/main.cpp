// folivant-convert: the window's conversion from a terminal.

#include "convert/ConversionJob.h"
#include "convert/PageSize.h"
#include "convert/WmUser.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Q_UNUSED(app);
    std::fputs("folivant-convert: not built yet\n", stderr);
    return 1;
}
