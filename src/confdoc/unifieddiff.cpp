#include "unifieddiff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::size_t context = 3;

// A line is compared and kept with its line feed: a last line without one then differs from
// the same line with it, as for diff.
using Line = std::string_view;

std::vector<Line> linesOf(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t feed = text.find('\n', start);
        const std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// Where the line before position end starts; end is 0 or just past a line feed.
std::size_t previousLineStart(std::string_view text, std::size_t end)
{
    const std::size_t feed = end < 2 ? std::string_view::npos : text.rfind('\n', end - 2);
    return feed == std::string_view::npos ? 0 : feed + 1;
}

// Where the line at position start ends, past its line feed.
std::size_t lineEnd(std::string_view text, std::size_t start)
{
    const std::size_t feed = text.find('\n', start);
    return feed == std::string_view::npos ? text.size() : feed + 1;
}

bool lineStart(std::string_view text, std::size_t position)
{
    return position == 0 || text[position - 1] == '\n';
}

// How many bytes of a and b of this size are the same from their start, or from their end;
// block by block first, since the texts are mostly the same.
std::size_t sameBytes(const char *a, const char *b, std::size_t size, bool fromEnd)
{
    constexpr std::size_t block = 256;
    std::size_t same = 0;
    while (size - same >= block) {
        const std::size_t offset = fromEnd ? size - same - block : same;
        if (std::memcmp(a + offset, b + offset, block) != 0)
            break;
        same += block;
    }
    while (same < size) {
        const std::size_t offset = fromEnd ? size - same - 1 : same;
        if (a[offset] != b[offset])
            break;
        ++same;
    }
    return same;
}

// The part of both texts to compare line by line, as diff finds it: the lines between the
// identical start and end, with a context's worth of those around them, so that a change
// can move past equal lines as diff moves it.
struct Middle
{
    std::size_t start = 0; // the same in both texts
    std::size_t linesBefore = 0; // how many lines precede start
    std::size_t beforeEnd = 0;
    std::size_t afterEnd = 0;
};

Middle middleOf(std::string_view before, std::string_view after)
{
    Middle middle;
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t start = sameBytes(before.data(), after.data(), shorter, false);
    // Back to the start of the line that differs, then a context's worth of lines further.
    if (!lineStart(before, start)) {
        const std::size_t feed = before.rfind('\n', start - 1);
        start = feed == std::string_view::npos ? 0 : feed + 1;
    }
    for (std::size_t line = 0; line < context && start > 0; ++line)
        start = previousLineStart(before, start);
    middle.start = start;
    middle.linesBefore = static_cast<std::size_t>(
        std::count(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(start), '\n'));

    // The identical end is looked for only when both last lines end alike, and never reaches
    // into the identical start.
    middle.beforeEnd = before.size();
    middle.afterEnd = after.size();
    const bool beforeEnded = before.empty() || before.back() == '\n';
    const bool afterEnded = after.empty() || after.back() == '\n';
    if (beforeEnded != afterEnded)
        return middle;
    const std::size_t limit = shorter - start;
    const std::size_t common =
        sameBytes(before.data() + before.size() - limit, after.data() + after.size() - limit, limit, true);
    std::size_t end = before.size() - common;
    const std::size_t shift = after.size() - before.size(); // modulo, as after's end follows before's
    std::size_t extra = context + (lineStart(before, end) && lineStart(after, end + shift) ? 0 : 1);
    for (; extra > 0 && end < before.size(); --extra)
        end = lineEnd(before, end);
    middle.beforeEnd = end;
    middle.afterEnd = end + shift;
    return middle;
}

// Moves each run of changed lines as diff does: back as long as that joins it to an earlier
// run, then forward as far as the lines allow, then back to where it meets a run of changes
// of the other text. Equal runs of a different place then come out as diff writes them.
// The arrays have a false element before and after the lines.
void shiftBoundaries(std::array<std::vector<char>, 2> &changedLines,
                     const std::array<std::vector<int>, 2> &classes)
{
    for (int f = 0; f < 2; ++f) {
        char *changed = changedLines[f].data() + 1;
        const char *other = changedLines[1 - f].data() + 1;
        const int *equal = classes[f].data();
        const long long end = static_cast<long long>(classes[f].size());
        long long i = 0;
        long long j = 0;
        while (true) {
            while (i < end && !changed[i]) {
                while (other[j++])
                    continue;
                ++i;
            }
            if (i == end)
                break;
            long long start = i;
            while (changed[++i])
                continue;
            while (other[j])
                ++j;
            long long runLength;
            long long corresponding;
            do {
                runLength = i - start;
                while (start > 0 && equal[start - 1] == equal[i - 1]) {
                    changed[--start] = 1;
                    changed[--i] = 0;
                    while (changed[start - 1])
                        --start;
                    while (other[--j])
                        continue;
                }
                corresponding = other[j - 1] ? i : end;
                while (i != end && equal[start] == equal[i]) {
                    changed[start++] = 0;
                    changed[i++] = 1;
                    while (changed[i])
                        ++i;
                    while (other[++j])
                        corresponding = i;
                }
            } while (runLength != i - start);
            while (corresponding < i) {
                changed[--start] = 1;
                changed[--i] = 0;
                while (other[--j])
                    continue;
            }
        }
    }
}

struct Edit
{
    Line line;
    dtl::edit_t type;
};

// The edit script of the middle: dtl's, with its runs of changes placed as diff places them.
std::vector<Edit> editsOf(const std::vector<Line> &before, const std::vector<Line> &after)
{
    dtl::Diff<Line> diff(before, after);
    diff.compose();
    std::array<std::vector<char>, 2> changed = {std::vector<char>(before.size() + 2, 0),
                                                std::vector<char>(after.size() + 2, 0)};
    {
        std::size_t i = 0, j = 0;
        for (const auto &edit : diff.getSes().getSequence()) {
            if (edit.second.type == dtl::SES_DELETE)
                changed[0][1 + i] = 1;
            if (edit.second.type == dtl::SES_ADD)
                changed[1][1 + j] = 1;
            i += edit.second.type != dtl::SES_ADD ? 1 : 0;
            j += edit.second.type != dtl::SES_DELETE ? 1 : 0;
        }
    }
    std::array<std::vector<int>, 2> classes;
    std::unordered_map<Line, int> classOf;
    for (int f = 0; f < 2; ++f) {
        for (const Line line : f == 0 ? before : after)
            classes[f].push_back(classOf.emplace(line, static_cast<int>(classOf.size())).first->second);
    }
    shiftBoundaries(changed, classes);

    std::vector<Edit> edits;
    std::size_t i = 0, j = 0;
    while (i < before.size() || j < after.size()) {
        if (i < before.size() && j < after.size() && !changed[0][1 + i] && !changed[1][1 + j]) {
            edits.push_back({before[i++], dtl::SES_COMMON});
            ++j;
            continue;
        }
        while (i < before.size() && changed[0][1 + i])
            edits.push_back({before[i++], dtl::SES_DELETE});
        while (j < after.size() && changed[1][1 + j])
            edits.push_back({after[j++], dtl::SES_ADD});
    }
    return edits;
}

// A hunk header's range as diff writes it: "start,count", "start" for one line, and for
// none the line before the hunk.
std::string range(long long before, long long count)
{
    if (count == 1)
        return std::to_string(before + 1);
    return std::to_string(count == 0 ? before : before + 1) + ',' + std::to_string(count);
}

void appendLine(std::string &out, char mark, Line line)
{
    out += mark;
    out.append(line.data(), line.size());
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

} // namespace

std::string unifiedDiff(const std::string &before, const std::string &after, const std::string &beforeName,
                        const std::string &afterName)
{
    const std::string_view beforeText(before), afterText(after);
    if (beforeText == afterText)
        return std::string();
    // Only the lines between the identical start and end are compared: an edit of a large
    // file then costs what the edit costs, not what the file does.
    const Middle middle = middleOf(beforeText, afterText);

    // The edit script: a context's worth of the identical start, the middle's script and a
    // context's worth of the identical end. Changes happen only in the middle, so the hunks
    // never reach further.
    std::vector<Edit> sequence;
    std::size_t leading = 0;
    std::size_t contextStart = middle.start;
    while (leading < context && contextStart > 0) {
        contextStart = previousLineStart(beforeText, contextStart);
        ++leading;
    }
    for (const Line line : linesOf(beforeText.substr(contextStart, middle.start - contextStart)))
        sequence.push_back({line, dtl::SES_COMMON});
    for (const Edit &edit : editsOf(linesOf(beforeText.substr(middle.start, middle.beforeEnd - middle.start)),
                                    linesOf(afterText.substr(middle.start, middle.afterEnd - middle.start))))
        sequence.push_back(edit);
    std::size_t start = middle.beforeEnd;
    for (std::size_t trailing = 0; trailing < context && start < beforeText.size(); ++trailing) {
        const std::size_t end = lineEnd(beforeText, start);
        sequence.push_back({beforeText.substr(start, end - start), dtl::SES_COMMON});
        start = end;
    }

    // The hunks are formed as diff forms them: three lines of context, and changes at most
    // six unchanged lines apart in one hunk.
    std::string out = "--- " + beforeName + "\n+++ " + afterName + '\n';
    const std::size_t size = sequence.size();
    const long long skipped = static_cast<long long>(middle.linesBefore - leading);
    std::vector<long long> oldBefore(size + 1, skipped), newBefore(size + 1, skipped);
    for (std::size_t i = 0; i < size; ++i) {
        const dtl::edit_t type = sequence[i].type;
        oldBefore[i + 1] = oldBefore[i] + (type != dtl::SES_ADD ? 1 : 0);
        newBefore[i + 1] = newBefore[i] + (type != dtl::SES_DELETE ? 1 : 0);
    }
    std::size_t i = 0;
    while (i < size) {
        if (sequence[i].type == dtl::SES_COMMON) {
            ++i;
            continue;
        }
        const std::size_t first = i > context ? i - context : 0;
        std::size_t last = i; // the last change of the hunk
        for (std::size_t next = i + 1; next < size && next <= last + 2 * context + 1; ++next) {
            if (sequence[next].type != dtl::SES_COMMON)
                last = next;
        }
        const std::size_t end = std::min(size, last + 1 + context);
        out += "@@ -" + range(oldBefore[first], oldBefore[end] - oldBefore[first]) + " +"
            + range(newBefore[first], newBefore[end] - newBefore[first]) + " @@\n";
        // In a run of changed lines the removed ones come first, as diff writes them.
        std::size_t line = first;
        while (line < end) {
            if (sequence[line].type == dtl::SES_COMMON) {
                appendLine(out, ' ', sequence[line++].line);
                continue;
            }
            std::size_t runEnd = line;
            while (runEnd < end && sequence[runEnd].type != dtl::SES_COMMON)
                ++runEnd;
            for (const dtl::edit_t wanted : {dtl::SES_DELETE, dtl::SES_ADD}) {
                for (std::size_t changed = line; changed < runEnd; ++changed) {
                    if (sequence[changed].type == wanted)
                        appendLine(out, wanted == dtl::SES_ADD ? '+' : '-', sequence[changed].line);
                }
            }
            line = runEnd;
        }
        i = end;
    }
    return out;
}
