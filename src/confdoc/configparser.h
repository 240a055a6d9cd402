#pragma once

#include "configelementbase.h"

#include <memory>
#include <string>
#include <vector>

class ConfigElementComment;
class ConfigElementCommentBlock;
class ConfigElementSection;
class ConfigElementData;
class ConfigElementList;
class ConfigElementInclude;

// Reads smb.conf bytes into elements: a line reader makes one element per recognised
// line; structuring attaches comments to the element below them and moves lines into
// their sections as they come; at the end sections of the same name are folded together.
class ConfigParser
{
public:
    ConfigParser(int syntaxMode, std::string commentMarkers);

    // Fills the top-level list of a document. Any byte sequence gives a tree.
    void parse(const std::string &bytes, ConfigElementList &out);

    static bool isSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

private:
    void readByte(char c);
    void lineFeed();
    void structural(char c);
    bool openSection();
    void openBraceSection();
    void openParameter();
    void completeComment();
    void completeValue();
    void completeInclude();
    void completeTokenLine();
    void emit(ConfigElementPtr element);
    void fold(ConfigElementList &out);

    int m_syntaxMode;
    bool m_isMarker[256] = {};
    // Bytes the line reader must look at one by one; all others only collect.
    bool m_isSpecial[256] = {};

    // Structuring state: the top level so far, the current section, the open block.
    std::vector<ConfigElementPtr> m_top;
    ConfigElementSection *m_section = nullptr; // owned by the top level
    std::shared_ptr<ConfigElementCommentBlock> m_block;
    std::string m_buf;
    int m_col = 0;
    int m_lineNo = 0;
    bool m_blank = true;
    bool m_inComment = false;
    bool m_inValue = false;
    bool m_inInclude = false;
    std::shared_ptr<ConfigElementComment> m_comment;
    // The parameter whose value is being read; the tree already owns it.
    ConfigElementData *m_data = nullptr;
    std::shared_ptr<ConfigElementInclude> m_include;
};
