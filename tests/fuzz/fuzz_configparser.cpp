// libFuzzer target for the smb.conf reader: any input must load without a crash, leak or
// undefined behaviour; its lines must tile it; the text written back must be the input
// itself; and an edit of one value must change that value and nothing else.
#include "configdocument.h"
#include "documentcontent.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void fault(const char *what, const std::string &detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);

    ConfigDocument document;
    document.load(input);
    if (const std::string tiling = tilingFault(document); !tiling.empty())
        fault("lines do not tile the input", tiling);
    if (writeDocument(document) != input)
        fault("written text differs from the input", std::to_string(size) + " bytes");

    // Give the first parameter before any NUL byte a new value.
    std::size_t target = document.lineCount();
    for (std::size_t i = 0; i < document.lineCount() && target == document.lineCount(); ++i) {
        if (document.line(i).kind == ConfigLine::Parameter
            && document.text(i).find('\0') == std::string_view::npos)
            target = i;
    }
    if (target == document.lineCount())
        return 0;
    const std::vector<std::string> before = documentContent(document);
    document.setValue(target, "edited value");
    ConfigDocument edited;
    edited.load(document.text());
    std::vector<std::string> after = documentContent(edited);
    if (after.size() != before.size())
        fault("an edited value changed the number of lines", std::to_string(after.size()));
    after[target] = before[target];
    if (after != before)
        fault("an edited value changed another line", std::to_string(target));
    if (edited.value(target) != "edited value")
        fault("the edited value reads back as", edited.value(target));
    return 0;
}
