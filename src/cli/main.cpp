#include "commandlinetool.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("shareward-cli"));
    std::ios::sync_with_stdio(false);
    CommandLineTool tool(std::cout, std::cerr);
    return tool.run(QCoreApplication::arguments().mid(1));
}
