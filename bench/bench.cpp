// Benchmarks of the smb.conf document and of the mapping on generated files of 1,000 to
// 100,000 shares, side by side with Samba's own testparm reading the same file.
//
// "document": load and write of the document alone.
// "mapping": loadGlobal + loadShares + the part of a save before testparm runs when one
// share's comment was edited (the changed field written into the document, the temporary
// file written and synced to disk).
//
//   shareward-bench [--sizes 1000,10000,100000] [--repeat N] [--testparm PROGRAM] [--no-testparm]
#include "configdocument.h"
#include "configfileinstaller.h"
#include "configmapper.h"
#include "generatedconfig.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Median of several runs, in milliseconds; prepare runs untimed before each run.
double measure(int repeat, const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> runs;
    for (int i = 0; i < repeat; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        runs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.addHelpOption();
    options.addOption({QStringLiteral("sizes"), QStringLiteral("Share counts."), QStringLiteral("list"),
                       QStringLiteral("1000,10000,100000")});
    options.addOption({QStringLiteral("repeat"), QStringLiteral("Runs per measurement."), QStringLiteral("n"),
                       QStringLiteral("5")});
    options.addOption({QStringLiteral("testparm"), QStringLiteral("The checker to compare with."),
                       QStringLiteral("program"), QStringLiteral("/usr/bin/testparm")});
    options.addOption({QStringLiteral("no-testparm"), QStringLiteral("Do not run the checker.")});
    options.process(app);

    std::vector<int> sizes;
    for (const QString &size : options.value(QStringLiteral("sizes")).split(QLatin1Char(',')))
        sizes.push_back(size.toInt());
    const int repeat = std::max(1, options.value(QStringLiteral("repeat")).toInt());
    const bool withTestparm = !options.isSet(QStringLiteral("no-testparm"));

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary directory\n");
        return 1;
    }

    std::printf("%8s %10s %9s %9s %14s %12s %12s %14s\n", "shares", "bytes", "load ms", "write ms",
                "load+write ms", "map load ms", "map save ms", "testparm -s ms");
    std::map<int, double> total;
    std::map<int, double> mapping;
    std::map<int, double> checker;
    for (int shares : sizes) {
        const std::string path = dir.filePath(QStringLiteral("smb-%1.conf").arg(shares)).toStdString();
        const std::string text = generateConfig(shares);
        std::ofstream(path, std::ios::binary) << text;
        const std::string outPath = path + ".out";

        // Each run reads into a new document; freeing the previous one is not part of it.
        std::unique_ptr<ConfigDocument> document;
        const double load = measure(
            repeat, [&] { document = std::make_unique<ConfigDocument>(); },
            [&] {
                std::ifstream in(path, std::ios::binary);
                document->load(in);
            });
        // Each run writes a new file: freeing the blocks of the last one is not writing.
        const double write = measure(
            repeat, [&] { std::remove(outPath.c_str()); },
            [&] {
                std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
                document->write(out);
            });
        std::ifstream check(outPath, std::ios::binary);
        const std::string written{std::istreambuf_iterator<char>(check), std::istreambuf_iterator<char>()};
        if (written != text) {
            std::fprintf(stderr, "round trip of %d shares changed the file\n", shares);
            return 1;
        }
        total[shares] = load + write;
        document.reset();

        // The mapping, as the window loads and saves with no edits.
        std::unique_ptr<ConfigDocument> mapped;
        std::unique_ptr<ConfigMapper> mapper;
        SambaSettings settings;
        QList<Share> records;
        const QString file = QString::fromStdString(path);
        const double mapLoad = measure(
            repeat,
            [&] {
                mapper.reset();
                mapped = std::make_unique<ConfigDocument>();
                mapper = std::make_unique<ConfigMapper>(*mapped, file);
            },
            [&] {
                settings = mapper->loadGlobal();
                records = mapper->loadShares(*settings.global());
            });
        const double mapSave = measure(
            repeat,
            [&] {
                mapper.reset();
                mapped = std::make_unique<ConfigDocument>();
                mapper = std::make_unique<ConfigMapper>(*mapped, file);
                settings = mapper->loadGlobal();
                records = mapper->loadShares(*settings.global());
                std::remove(ConfigFileInstaller(file).temporaryPath().toLocal8Bit().constData());
            },
            [&] {
                ConfigFileInstaller installer(file);
                if (!installer.open()) {
                    std::fprintf(stderr, "cannot create %s\n", qPrintable(installer.temporaryPath()));
                    std::exit(1);
                }
                Share &edited = records[records.size() / 2];
                edited.setComment(edited.comment() + QLatin1Char('!'));
                mapper->applyRecords(settings, records);
                if (!installer.write(mapped->text())) {
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(installer.temporaryPath()));
                    std::exit(1);
                }
            });
        mapping[shares] = mapLoad + mapSave;
        mapper.reset();
        mapped.reset();

        double testparm = -1;
        if (withTestparm) {
            testparm = measure(repeat, nullptr, [&] {
                QProcess process;
                process.setStandardOutputFile(QProcess::nullDevice());
                process.setStandardErrorFile(QProcess::nullDevice());
                process.start(options.value(QStringLiteral("testparm")),
                              {QStringLiteral("-s"), QString::fromStdString(path)});
                process.waitForFinished(-1);
            });
            checker[shares] = testparm;
        }
        std::printf("%8d %10zu %9.2f %9.2f %14.2f %12.2f %12.2f %14.2f\n", shares, text.size(), load, write,
                    load + write, mapLoad, mapSave, testparm);
    }

    // The figures that must hold: a tenth of testparm's time on 10,000 shares, and
    // linear growth to 100,000.
    bool ok = true;
    auto check = [&ok](const char *what, const std::map<int, double> &figures,
                       const std::map<int, double> &checker) {
        if (figures.count(10000) && checker.count(10000)) {
            const double ratio = figures.at(10000) / checker.at(10000);
            ok = ok && ratio <= 0.1;
            std::printf("10,000 shares: %s / testparm -s = %.3f (limit 0.100) %s\n", what, ratio,
                        ratio <= 0.1 ? "ok" : "FAIL");
        }
        if (figures.count(10000) && figures.count(100000)) {
            const double growth = figures.at(100000) / figures.at(10000);
            ok = ok && growth <= 12;
            std::printf("100,000 / 10,000 shares: %s x%.2f (limit 12) %s\n", what, growth,
                        growth <= 12 ? "ok" : "FAIL");
        }
    };
    std::printf("\n");
    check("document load+write", total, checker);
    check("mapping load+save", mapping, checker);
    return ok ? 0 : 1;
}
