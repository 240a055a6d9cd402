#include "commandlinetool.h"

#include <QCoreApplication>
#include <QTextCodec>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

// The arguments as UTF-8, whatever the locale: smb.conf and Samba's names are UTF-8, and a
// byte that is not would be written as U+FFFD. Empty, with the problem said, when one is not.
bool utf8Arguments(int argc, char *argv[], QStringList &arguments, std::ostream &err)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    for (int i = 1; i < argc; ++i) {
        QTextCodec::ConverterState state;
        const QByteArray bytes(argv[i]);
        const QString text = utf8->toUnicode(bytes.constData(), bytes.size(), &state);
        if (state.invalidChars > 0 || state.remainingChars > 0) {
            // Shown with U+FFFD where the bytes are not UTF-8.
            err << "shareward-cli: argument " << i << " is not valid UTF-8: " << text.toStdString()
                << " (smb.conf and Samba's names are UTF-8)" << std::endl;
            return false;
        }
        arguments << text;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("shareward-cli"));
    std::ios::sync_with_stdio(false);
    QStringList arguments;
    if (!utf8Arguments(argc, argv, arguments, std::cerr)) {
        std::cerr.flush();
        std::_Exit(CommandLineTool::UsageError);
    }
    CommandLineTool tool(std::cout, std::cerr);
    const int code = tool.run(arguments);
    // Everything is written: ending here spares freeing what the command read, piece by piece.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(code);
}
