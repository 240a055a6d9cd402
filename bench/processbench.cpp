// shareward-cli as an administrator runs it, whole processes side by side with testparm:
// each run a fork and exec with standard output to /dev/null, timed by the wall clock, its
// peak RSS from wait4(). Every figure is the median of --repeat runs. Exits 1 when a figure
// is over its limit, 2 when a run could not be made or exited non-zero.
#include "generatedconfig.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Figure
{
    double ms;
    double mb;
};

using Strings = std::vector<std::string>;

std::vector<char *> pointers(const Strings &strings)
{
    std::vector<char *> list;
    for (const std::string &string : strings)
        list.push_back(const_cast<char *>(string.c_str()));
    list.push_back(nullptr);
    return list;
}

std::string joined(const Strings &words)
{
    std::string line;
    for (const std::string &word : words)
        line += (line.empty() ? "" : " ") + word;
    return line;
}

// Thrown, so that the temporary directory is removed on the way out.
struct RunFailed : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

[[noreturn]] void runFailed(const std::string &what, const std::string &errorFile)
{
    std::ifstream errors(errorFile);
    std::stringstream text;
    text << errors.rdbuf();
    throw RunFailed(what + "\n" + text.str());
}

// One run of the command, which must exit 0; its standard error is kept in errorFile.
Figure runOnce(const Strings &command, const Strings &environment, const std::string &errorFile)
{
    std::vector<char *> argv = pointers(command);
    std::vector<char *> envp = pointers(environment);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        const int errors = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (null >= 0 && errors >= 0 && dup2(null, STDOUT_FILENO) >= 0 && dup2(errors, STDERR_FILENO) >= 0)
            execvpe(argv[0], argv.data(), envp.data());
        std::perror(argv[0]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        runFailed("cannot run " + joined(command), errorFile);
    const auto stop = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        runFailed(joined(command) + " exited with status " + std::to_string(WEXITSTATUS(status))
                      + (WIFSIGNALED(status) ? " (killed by a signal)" : "") + "; its standard error:",
                  errorFile);
    return {std::chrono::duration<double, std::milli>(stop - start).count(), usage.ru_maxrss / 1024.0};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The medians of repeat runs; makeCommand() gives the command of each.
template<class MakeCommand>
Figure measure(int repeat, MakeCommand makeCommand, const Strings &environment, const std::string &errorFile)
{
    std::vector<double> times;
    std::vector<double> sizes;
    for (int i = 0; i < repeat; ++i) {
        const Figure figure = runOnce(makeCommand(), environment, errorFile);
        times.push_back(figure.ms);
        sizes.push_back(figure.mb);
    }
    return {median(times), median(sizes)};
}

void writeConfig(const std::string &path, int shares)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << generateConfig(shares);
    file.close();
    if (!file)
        throw RunFailed("cannot write " + path);
}

bool failed = false;

// "0.031 <= 0.05 ok", or the ratio alone where it has no limit.
std::string verdict(double ratio, double limit)
{
    char text[64];
    if (limit <= 0) {
        std::snprintf(text, sizeof text, "%.3f", ratio);
        return text;
    }
    const bool ok = ratio <= limit;
    failed = failed || !ok;
    std::snprintf(text, sizeof text, "%.3f <= %g %s", ratio, limit, ok ? "ok" : "FAIL");
    return text;
}

void printRow(int shares, const std::string &command, const Figure &figure, const std::string &against = {},
              const std::string &time = {}, const std::string &rss = {})
{
    std::printf("%8d  %-12s %10.1f %8.1f  %-13s %-22s %s\n", shares, command.c_str(), figure.ms, figure.mb,
                against.c_str(), time.c_str(), rss.c_str());
    std::fflush(stdout);
}

struct Options
{
    int repeat = 5;
    std::string testparm = "/usr/bin/testparm";
    std::string cli = SHAREWARD_CLI;
    bool million = true;
    // With a host: an edit through ssh and the server's backend against "ssh HOST testparm
    // -s", on a file written where the server reads its smb.conf.
    std::string host;
    std::string sshConfig;
    std::string remoteConfig;
};

int usage(FILE *stream, int code)
{
    std::fprintf(stream,
                 "usage: shareward-process-bench [--repeat N] [--testparm PROGRAM] [--cli PATH] "
                 "[--no-million]\n"
                 "       shareward-process-bench [--repeat N] [--cli PATH] --host HOST --ssh-config FILE\n"
                 "                               --remote-config PATH\n"
                 "  (PATH: where this machine writes the file HOST reads as /etc/samba/smb.conf)\n");
    return code;
}

// A one-share edit through ssh and the backend, with the real testparm on the server, against
// ssh running testparm there: a save costs one round trip beyond testparm.
void runRemote(const Options &options)
{
    QTemporaryDir temporary;
    if (!temporary.isValid())
        throw RunFailed("cannot make a temporary directory");
    const std::string errorFile = temporary.path().toStdString() + "/stderr";
    Strings environment;
    for (char **variable = environ; *variable; ++variable)
        environment.push_back(*variable);
    writeConfig(options.remoteConfig, 10000);
    std::printf("median of %d runs each, on %s over ssh\n\n%8s  %-12s %10s %8s  %-13s %-22s\n",
                options.repeat, options.host.c_str(), "shares", "command", "ms", "RSS MB", "against",
                "time ratio");
    const Figure reference = measure(
        options.repeat,
        [&]() { return Strings{"/usr/bin/ssh", "-F", options.sshConfig, "--", options.host, "testparm -s"}; },
        environment, errorFile);
    printRow(10000, "ssh testparm", reference);
    int edits = 0;
    const Figure edit = measure(
        options.repeat,
        [&]() {
            return Strings{options.cli,
                           "--ssh-config",
                           options.sshConfig,
                           "--host",
                           options.host,
                           "share",
                           "set",
                           "share5000",
                           "--comment",
                           "Edited over ssh, run " + std::to_string(++edits)};
        },
        environment, errorFile);
    printRow(10000, "--host edit", edit, "ssh testparm", verdict(edit.ms / reference.ms, 1.2));
}

void run(const Options &options)
{
    const int repeat = options.repeat;
    QTemporaryDir temporary;
    if (!temporary.isValid())
        throw RunFailed("cannot make a temporary directory");
    const std::string directory = temporary.path().toStdString();
    const std::string errorFile = directory + "/stderr";
    // The edit's check accepts at once; its lock and history stay in the temporary directory.
    const std::string bin = directory + "/bin";
    mkdir(bin.c_str(), 0700);
    std::ofstream(bin + "/testparm") << "#!/bin/sh\necho 'Loaded services file OK.' >&2\nexit 0\n";
    chmod((bin + "/testparm").c_str(), 0700);

    Strings environment;
    for (char **variable = environ; *variable; ++variable)
        environment.push_back(*variable);
    Strings cliEnvironment;
    for (const std::string &variable : environment) {
        if (variable.rfind("SHAREWARD_", 0) != 0)
            cliEnvironment.push_back(variable);
    }
    cliEnvironment.push_back("SHAREWARD_PROGRAM_TESTPARM=" + bin + "/testparm");
    cliEnvironment.push_back("SHAREWARD_HISTORY_DIRECTORY=" + directory + "/history");
    cliEnvironment.push_back("SHAREWARD_RUN_DIRECTORY=" + directory + "/run");

    std::printf("median of %d runs each\n\n%8s  %-12s %10s %8s  %-13s %-22s %s\n", repeat, "shares",
                "command", "ms", "RSS MB", "against", "time ratio", "RSS ratio");
    const std::string file10k = directory + "/smb-10000.conf";
    writeConfig(file10k, 10000);
    const Figure reference = measure(
        repeat,
        [&]() {
            return Strings{options.testparm, "-s", file10k};
        },
        environment, errorFile);
    printRow(10000, "testparm -s", reference);

    const std::vector<std::pair<std::string, double>> commands{
        {"print", 0.05}, {"show", 0.10}, {"edit", 0.10}};
    int edits = 0;
    const auto command = [&](const std::string &name, const std::string &file) {
        if (name != "edit")
            return Strings{options.cli, name, file};
        return Strings{
            options.cli, "--config",  file,        "share",
            "set",       "share5000", "--comment", "Edited by the benchmark, run " + std::to_string(++edits)};
    };
    std::vector<Figure> at10k;
    for (const auto &[name, limit] : commands) {
        const std::string &named = name; // a lambda captures no structured binding in C++17
        at10k.push_back(measure(
            repeat, [&]() { return command(named, file10k); }, cliEnvironment, errorFile));
        printRow(10000, name, at10k.back(), "testparm -s", verdict(at10k.back().ms / reference.ms, limit),
                 verdict(at10k.back().mb / reference.mb, 0.5));
    }

    const std::string file100k = directory + "/smb-100000.conf";
    writeConfig(file100k, 100000);
    Figure show100k{};
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::string &name = commands[i].first;
        const Figure figure = measure(
            repeat, [&]() { return command(name, file100k); }, cliEnvironment, errorFile);
        printRow(100000, name, figure, "10000 shares", verdict(figure.ms / at10k[i].ms, 12),
                 verdict(figure.mb / at10k[i].mb, 12));
        if (name == "show")
            show100k = figure;
    }
    std::remove(file100k.c_str());

    if (options.million) {
        const std::string file1m = directory + "/smb-1000000.conf";
        writeConfig(file1m, 1000000);
        const Figure figure = measure(
            repeat, [&]() { return command("show", file1m); }, cliEnvironment, errorFile);
        std::remove(file1m.c_str());
        printRow(1000000, "show", figure, "100000 shares", verdict(figure.ms / show100k.ms, 12),
                 verdict(figure.mb / show100k.mb, 0));
    }
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--repeat" && hasValue)
            options.repeat = std::atoi(argv[++i]);
        else if (argument == "--testparm" && hasValue)
            options.testparm = argv[++i];
        else if (argument == "--cli" && hasValue)
            options.cli = argv[++i];
        else if (argument == "--no-million")
            options.million = false;
        else if (argument == "--host" && hasValue)
            options.host = argv[++i];
        else if (argument == "--ssh-config" && hasValue)
            options.sshConfig = argv[++i];
        else if (argument == "--remote-config" && hasValue)
            options.remoteConfig = argv[++i];
        else if (argument == "--help" || argument == "-h")
            return usage(stdout, 0);
        else
            return usage(stderr, 2);
    }
    if (options.repeat < 1 || options.host.empty() != options.remoteConfig.empty()
        || options.host.empty() != options.sshConfig.empty())
        return usage(stderr, 2);
    try {
        if (options.host.empty())
            run(options);
        else
            runRemote(options);
    } catch (const RunFailed &error) {
        std::fprintf(stderr, "shareward-process-bench: %s\n", error.what());
        return 2;
    }
    std::printf("\n%s\n", failed ? "FAIL: a figure is over its limit" : "ok: every figure within its limit");
    return failed ? 1 : 0;
}
