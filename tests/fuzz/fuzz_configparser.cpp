// libFuzzer target for the smb.conf reader: any input must load without a crash, leak
// or undefined behaviour, and the text written from it must load to the same content.
#include "configdocument.h"
#include "documentcontent.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void dump(const char *title, const std::vector<std::string> &content)
{
    std::fprintf(stderr, "%s\n", title);
    for (const auto &entry : content)
        std::fprintf(stderr, "  %s\n", entry.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);

    ConfigDocument first;
    loadDocument(first, input);
    const std::string written = writeDocument(first);

    ConfigDocument second;
    loadDocument(second, written);

    // Blocks opened by '{' are not smb.conf syntax and may be renamed or merged when
    // written and read again.
    if (input.find('{') != std::string::npos)
        return 0;

    const auto firstContent = documentContent(first);
    const auto secondContent = documentContent(second);
    if (firstContent != secondContent) {
        dump("content of load(input):", firstContent);
        dump("content of load(write(load(input))):", secondContent);
        std::abort();
    }
    return 0;
}
