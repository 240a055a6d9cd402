#include "unifieddiff.h"

#include <dtl/dtl.hpp>

#include <sstream>
#include <vector>

namespace {

constexpr std::size_t context = 3;

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t feed = text.find('\n', start);
        if (feed == std::string::npos) {
            // Differs from the same line with its line feed, as for diff.
            lines.push_back(text.substr(start) + "\n\\ No newline at end of file");
            break;
        }
        lines.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    return lines;
}

// A hunk header's range as diff writes it: "start,count", "start" for one line, and for
// none the line before the hunk.
std::string range(long long before, long long count)
{
    if (count == 1)
        return std::to_string(before + 1);
    return std::to_string(count == 0 ? before : before + 1) + ',' + std::to_string(count);
}

} // namespace

std::string unifiedDiff(const std::string &before, const std::string &after, const std::string &beforeName,
                        const std::string &afterName)
{
    if (before == after)
        return std::string();
    dtl::Diff<std::string> diff(linesOf(before), linesOf(after));
    // Large files with few changes: the edit distance is small, and this keeps memory low.
    diff.onHuge();
    diff.compose();
    const auto sequence = diff.getSes().getSequence();

    // The hunks are formed as diff forms them: three lines of context, and changes at most
    // six unchanged lines apart in one hunk.
    std::ostringstream out;
    out << "--- " << beforeName << '\n' << "+++ " << afterName << '\n';
    const std::size_t size = sequence.size();
    std::vector<long long> oldBefore(size + 1, 0), newBefore(size + 1, 0);
    for (std::size_t i = 0; i < size; ++i) {
        const dtl::edit_t type = sequence[i].second.type;
        oldBefore[i + 1] = oldBefore[i] + (type != dtl::SES_ADD ? 1 : 0);
        newBefore[i + 1] = newBefore[i] + (type != dtl::SES_DELETE ? 1 : 0);
    }
    std::size_t i = 0;
    while (i < size) {
        if (sequence[i].second.type == dtl::SES_COMMON) {
            ++i;
            continue;
        }
        const std::size_t start = i > context ? i - context : 0;
        std::size_t last = i; // the last change of the hunk
        for (std::size_t next = i + 1; next < size && next <= last + 2 * context + 1; ++next) {
            if (sequence[next].second.type != dtl::SES_COMMON)
                last = next;
        }
        const std::size_t end = std::min(size, last + 1 + context);
        out << "@@ -" << range(oldBefore[start], oldBefore[end] - oldBefore[start]) << " +"
            << range(newBefore[start], newBefore[end] - newBefore[start]) << " @@\n";
        // In a run of changed lines the removed ones come first, as diff writes them.
        std::size_t line = start;
        while (line < end) {
            if (sequence[line].second.type == dtl::SES_COMMON) {
                out << ' ' << sequence[line++].first << '\n';
                continue;
            }
            std::size_t runEnd = line;
            while (runEnd < end && sequence[runEnd].second.type != dtl::SES_COMMON)
                ++runEnd;
            for (const dtl::edit_t wanted : {dtl::SES_DELETE, dtl::SES_ADD}) {
                for (std::size_t changed = line; changed < runEnd; ++changed) {
                    if (sequence[changed].second.type == wanted)
                        out << (wanted == dtl::SES_ADD ? '+' : '-') << sequence[changed].first << '\n';
                }
            }
            line = runEnd;
        }
        i = end;
    }
    return out.str();
}
