#pragma once

#include <memory>
#include <ostream>
#include <string>

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
    // Writes the element's lines to a stream.
    virtual std::ostream &write(std::ostream &out) const;
    // Appends the element's lines to a buffer: the one formatting routine, which the
    // document uses to write a whole file in one go.
    virtual void writeTo(std::string &out) const = 0;
    virtual int indent() const;
    virtual int line() const;

    void setIndent(int indent) { m_indent = indent; }
    void setLine(int line) { m_line = line; }

    // Writes a width as n / 4 TABs followed by n % 4 blanks; nothing for n <= 0.
    static std::ostream &pad(std::ostream &out, int n);
    static void pad(std::string &out, int n);

protected:
    ConfigElementBase(const ConfigElementBase &) = default;
    ConfigElementBase &operator=(const ConfigElementBase &) = default;

private:
    int m_indent;
    int m_line;
};

using ConfigElementPtr = std::shared_ptr<ConfigElementBase>;
