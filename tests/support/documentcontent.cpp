#include "documentcontent.h"

#include "configdocument.h"

#include <sstream>

namespace {

std::string quoted(const std::string &text)
{
    return std::to_string(text.size()) + ':' + text;
}

} // namespace

std::vector<std::string> documentContent(const ConfigDocument &document)
{
    std::vector<std::string> out;
    out.reserve(document.lineCount());
    for (std::size_t i = 0; i < document.lineCount(); ++i) {
        switch (document.line(i).kind) {
        case ConfigLine::Blank:
            out.emplace_back("blank");
            break;
        case ConfigLine::Comment:
            out.emplace_back("comment");
            break;
        case ConfigLine::Section:
            out.push_back("section " + quoted(document.name(i)));
            break;
        case ConfigLine::Parameter:
            out.push_back("parameter " + quoted(document.name(i)) + " = " + quoted(document.value(i)));
            break;
        case ConfigLine::Other:
            out.emplace_back("other");
            break;
        }
    }
    return out;
}

std::string tilingFault(const ConfigDocument &document)
{
    std::size_t expected = 0;
    for (std::size_t i = 0; i < document.lineCount(); ++i) {
        const ConfigLine &line = document.line(i);
        const std::string where = "line " + std::to_string(i) + ": ";
        if (line.begin != expected)
            return where + "starts at " + std::to_string(line.begin) + ", not " + std::to_string(expected);
        if (line.size == 0)
            return where + "is empty";
        if (line.nameBegin > line.nameEnd || line.nameEnd > line.size || line.valueBegin > line.valueEnd
            || line.valueEnd > line.endingBegin() || line.endingBegin() > line.size)
            return where + "has offsets outside it";
        const std::string_view text = document.text(i);
        if (text.substr(0, text.size() - 1).find('\n') != std::string_view::npos && !line.continued)
            return where + "holds a line feed but is not continued";
        expected += line.size;
    }
    if (expected != document.bytes().size())
        return "the lines end at " + std::to_string(expected) + " of "
            + std::to_string(document.bytes().size());
    return std::string();
}

std::string writeDocument(const ConfigDocument &document)
{
    std::ostringstream out;
    document.write(out);
    return out.str();
}

void loadDocument(ConfigDocument &document, const std::string &bytes)
{
    std::istringstream in(bytes);
    document.load(in);
}
