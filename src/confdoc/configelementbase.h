#pragma once

#include <memory>
#include <ostream>

// One line (or group of lines) of smb.conf in the lossless document. Each element
// keeps what is needed to write its text back as it was read.
class ConfigElementBase
{
public:
    enum Type {
        CommentType = 0,
        CommentBlockType = 1,
        SectionType = 2,
        DataType = 3,
        ELineType = 4,
        ExprType = 5,
        IncludeType = 6,
    };

    explicit ConfigElementBase(int indent = 0, int line = 0);
    virtual ~ConfigElementBase();

    virtual int type() const = 0;
    virtual std::ostream &write(std::ostream &out) const = 0;
    virtual int indent() const;
    virtual int line() const;

    void setIndent(int indent) { m_indent = indent; }
    void setLine(int line) { m_line = line; }

    // Writes a width as n / 4 TABs followed by n % 4 blanks; nothing for n <= 0.
    static std::ostream &pad(std::ostream &out, int n);
    // Ends a line with a single line feed. The document flushes the stream once when it
    // has written everything: a flush per line costs a system call per line, which on a
    // file of 10,000 shares takes longer than testparm needs to read it.
    static std::ostream &endLine(std::ostream &out);

protected:
    ConfigElementBase(const ConfigElementBase &) = default;
    ConfigElementBase &operator=(const ConfigElementBase &) = default;

private:
    int m_indent;
    int m_line;
};

using ConfigElementPtr = std::shared_ptr<ConfigElementBase>;
