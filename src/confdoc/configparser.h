#pragma once

#include "configelementbase.h"

#include <memory>
#include <string>
#include <vector>

class ConfigElementComment;
class ConfigElementData;
class ConfigElementInclude;

// Reads smb.conf bytes into elements: a line reader that makes one element per
// recognised line, then a structuring pass that attaches comments to the element below
// them, moves lines into their sections and folds sections of the same name together.
class ConfigParser
{
public:
    ConfigParser(int syntaxMode, std::string commentMarkers);

    // The top-level list of the document. Any byte sequence gives a tree.
    std::vector<ConfigElementPtr> parse(const std::string &bytes);

    static bool isSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

private:
    void readByte(char c);
    void lineFeed();
    void structural(char c);
    void completeComment();
    void completeValue();
    void completeInclude();
    void completeTokenLine();
    std::vector<ConfigElementPtr> structure();

    int m_syntaxMode;
    std::string m_commentMarkers;

    std::vector<ConfigElementPtr> m_flat;
    std::string m_buf;
    int m_col = 0;
    int m_lineNo = 0;
    bool m_blank = true;
    bool m_inComment = false;
    bool m_inValue = false;
    bool m_inInclude = false;
    std::shared_ptr<ConfigElementComment> m_comment;
    std::shared_ptr<ConfigElementData> m_data;
    std::shared_ptr<ConfigElementInclude> m_include;
};
