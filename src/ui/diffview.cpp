#include "diffview.h"

#include <QEvent>
#include <QFontDatabase>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

class DiffView::NumberMargin : public QWidget
{
public:
    explicit NumberMargin(DiffView *view)
        : QWidget(view)
        , m_view(view)
    {
    }

    QSize sizeHint() const override { return QSize(m_view->marginWidth(), 0); }

protected:
    void paintEvent(QPaintEvent *event) override { m_view->paintMargin(event); }

private:
    DiffView *m_view;
};

namespace {

constexpr int marginPadding = 4;
constexpr int columnGap = 8;

QColor blend(const QColor &from, const QColor &to, qreal share)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * share,
                            from.greenF() + (to.greenF() - from.greenF()) * share,
                            from.blueF() + (to.blueF() - from.blueF()) * share);
}

// QTextCursor::insertText starts a new block at these characters; a diff line must stay one
// block, so they are shown by a visible stand-in (a CR of a file with CRLF endings as ␍).
QString visibleLine(QString line)
{
    for (QChar &c : line) {
        if (c == QLatin1Char('\r'))
            c = QChar(0x240D);
        else if (c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1)
            c = QChar::ReplacementCharacter;
    }
    return line;
}

struct LineFormat
{
    QTextBlockFormat block;
    QTextCharFormat text;
};

} // namespace

DiffView::DiffView(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_margin(new NumberMargin(this))
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
    connect(this, &QPlainTextEdit::updateRequest, this, &DiffView::updateMargin);
    setViewportMargins(marginWidth(), 0, 0, 0);
}

// By the line alone; setDiff also knows the hunk around it, inside which "--- x" is removed.
DiffView::LineKind DiffView::kindOf(const QString &line)
{
    if (line.startsWith(QLatin1String("--- ")) || line.startsWith(QLatin1String("+++ ")))
        return FileHeader;
    if (line.startsWith(QLatin1String("@@")))
        return HunkHeader;
    if (line.isEmpty())
        return Context;
    switch (line.at(0).unicode()) {
    case ' ':
        return Context;
    case '+':
        return Added;
    case '-':
        return Removed;
    default:
        // "\ No newline at end of file", and text around the diff such as "diff -u a b".
        return Note;
    }
}

void DiffView::setDiff(const QString &unifiedDiff)
{
    m_lines = unifiedDiff.split(QLatin1Char('\n'));
    if (unifiedDiff.isEmpty() || unifiedDiff.endsWith(QLatin1Char('\n')))
        m_lines.removeLast();

    static const QRegularExpression hunk(QStringLiteral(R"(^@@ -(\d+)(?:,(\d+))? \+(\d+)(?:,(\d+))? @@)"));

    m_kinds.clear();
    m_numbers.clear();
    m_kinds.reserve(m_lines.size());
    m_numbers.reserve(m_lines.size());
    bool hunkSeen = false;
    int oldLine = 0;
    int newLine = 0;
    // The lines of the current hunk still to come; within a hunk the first character alone
    // decides, so that a removed line reading "-- x" is not taken for a file header.
    int oldLeft = 0;
    int newLeft = 0;
    int highest = 0;
    for (const QString &line : qAsConst(m_lines)) {
        LineKind kind = kindOf(line);
        if (kind == FileHeader && (oldLeft > 0 || newLeft > 0))
            kind = line.at(0) == QLatin1Char('-') ? Removed : Added;

        QPair<int, int> numbers(0, 0);
        switch (kind) {
        case HunkHeader: {
            const QRegularExpressionMatch match = hunk.match(line);
            if (match.hasMatch()) {
                hunkSeen = true;
                oldLine = match.captured(1).toInt();
                newLine = match.captured(3).toInt();
                // A missing count is 1.
                oldLeft = match.capturedLength(2) > 0 ? match.captured(2).toInt() : 1;
                newLeft = match.capturedLength(4) > 0 ? match.captured(4).toInt() : 1;
            }
            break;
        }
        case Context:
            if (hunkSeen)
                numbers = qMakePair(oldLine++, newLine++);
            --oldLeft;
            --newLeft;
            break;
        case Removed:
            if (hunkSeen)
                numbers.first = oldLine++;
            --oldLeft;
            break;
        case Added:
            if (hunkSeen)
                numbers.second = newLine++;
            --newLeft;
            break;
        case FileHeader:
        case Note:
            break;
        }
        highest = qMax(highest, qMax(numbers.first, numbers.second));
        m_kinds.append(kind);
        m_numbers.append(numbers);
    }
    m_digits = QString::number(highest).size();

    buildDocument();
    setViewportMargins(marginWidth(), 0, 0, 0);
    m_margin->update();
}

DiffView::LineKind DiffView::lineKind(int block) const
{
    return m_kinds.value(block, Note);
}

QPair<int, int> DiffView::lineNumbers(int block) const
{
    return m_numbers.value(block, qMakePair(0, 0));
}

// The whole document in one edit block: a single layout pass, however long the diff.
void DiffView::buildDocument()
{
    const QPalette colours = palette();
    const QColor base = colours.color(QPalette::Base);
    const QColor text = colours.color(QPalette::Text);
    // Tints of the base colour keep the text readable on light and dark palettes alike.
    const QColor grey = blend(text, base, 0.45);

    LineFormat formats[Note + 1];
    formats[FileHeader].text.setFontWeight(QFont::Bold);
    formats[HunkHeader].text.setFontWeight(QFont::Bold);
    formats[HunkHeader].text.setForeground(blend(colours.color(QPalette::Link), text, 0.25));
    formats[HunkHeader].block.setBackground(blend(base, colours.color(QPalette::Link), 0.08));
    formats[Context].text.setForeground(grey);
    formats[Added].block.setBackground(blend(base, QColor(0, 170, 0), 0.2));
    formats[Added].text.setForeground(text);
    formats[Removed].block.setBackground(blend(base, QColor(220, 0, 0), 0.18));
    formats[Removed].text.setForeground(text);
    formats[Note].text.setForeground(grey);
    formats[Note].text.setFontItalic(true);

    clear();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (int i = 0; i < m_lines.size(); ++i) {
        const LineFormat &format = formats[m_kinds.at(i)];
        if (i == 0) {
            cursor.setBlockFormat(format.block);
            cursor.setBlockCharFormat(format.text);
        } else {
            cursor.insertBlock(format.block, format.text);
        }
        cursor.insertText(visibleLine(m_lines.at(i)), format.text);
    }
    cursor.endEditBlock();
    setTextCursor(QTextCursor(document()));
}

int DiffView::marginWidth() const
{
    const int digitWidth = fontMetrics().horizontalAdvance(QLatin1Char('9'));
    return 2 * marginPadding + columnGap + 2 * m_digits * digitWidth;
}

void DiffView::updateMargin(const QRect &rect, int dy)
{
    if (dy != 0)
        m_margin->scroll(0, dy);
    else
        m_margin->update(0, rect.y(), m_margin->width(), rect.height());
}

void DiffView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_margin->setGeometry(QRect(area.left(), area.top(), marginWidth(), area.height()));
}

void DiffView::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
        setViewportMargins(marginWidth(), 0, 0, 0);
        const QRect area = contentsRect();
        m_margin->setGeometry(QRect(area.left(), area.top(), marginWidth(), area.height()));
    } else if (event->type() == QEvent::PaletteChange && !m_lines.isEmpty()) {
        const int vertical = verticalScrollBar()->value();
        const int horizontal = horizontalScrollBar()->value();
        buildDocument();
        verticalScrollBar()->setValue(vertical);
        horizontalScrollBar()->setValue(horizontal);
    }
}

void DiffView::paintMargin(QPaintEvent *event)
{
    QPainter painter(m_margin);
    const QPalette colours = palette();
    painter.fillRect(event->rect(), colours.color(QPalette::Window));
    painter.setPen(blend(colours.color(QPalette::WindowText), colours.color(QPalette::Window), 0.4));

    const int digitWidth = fontMetrics().horizontalAdvance(QLatin1Char('9'));
    const int columnWidth = m_digits * digitWidth;
    const int lineHeight = fontMetrics().height();

    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    int bottom = top + qRound(blockBoundingRect(block).height());
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible() && bottom >= event->rect().top()) {
            const QPair<int, int> numbers = lineNumbers(block.blockNumber());
            if (numbers.first > 0)
                painter.drawText(marginPadding, top, columnWidth, lineHeight, Qt::AlignRight,
                                 QString::number(numbers.first));
            if (numbers.second > 0)
                painter.drawText(marginPadding + columnWidth + columnGap, top, columnWidth, lineHeight,
                                 Qt::AlignRight, QString::number(numbers.second));
        }
        block = block.next();
        top = bottom;
        bottom = top + qRound(blockBoundingRect(block).height());
    }
}
