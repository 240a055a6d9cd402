#include "unifieddiff.h"

#include <dtl/dtl.hpp>

#include <sstream>
#include <vector>

namespace {

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t feed = text.find('\n', start);
        if (feed == std::string::npos) {
            lines.push_back(text.substr(start) + "\n\\ No newline at end of file");
            break;
        }
        lines.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    return lines;
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
    diff.composeUnifiedHunks();
    std::ostringstream out;
    out << "--- " << beforeName << '\n' << "+++ " << afterName << '\n';
    diff.printUnifiedFormat(out);
    return out.str();
}
