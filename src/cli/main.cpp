#include "commandlinetool.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <iostream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("shareward-cli"));
    std::ios::sync_with_stdio(false);
    CommandLineTool tool(std::cout, std::cerr);
    const int code = tool.run(QCoreApplication::arguments().mid(1));
    // Everything is written: ending here spares freeing what the command read, piece by piece.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(code);
}
