#pragma once

#include <QPair>
#include <QPlainTextEdit>
#include <QStringList>
#include <QVector>

class QEvent;
class QPaintEvent;
class QResizeEvent;

// A unified diff, read-only: removed lines on red, added lines on green, context in grey,
// and in a margin the line numbers of each line in the old and the new file.
class DiffView : public QPlainTextEdit
{
    Q_OBJECT

public:
    enum LineKind {
        FileHeader, // "--- a" / "+++ b"
        HunkHeader, // "@@ -1,3 +1,4 @@"
        Context,
        Added,
        Removed,
        Note, // "\ No newline at end of file"
    };

    explicit DiffView(QWidget *parent = nullptr);

    void setDiff(const QString &unifiedDiff);
    // The kind of the diff line shown in block (0-based), and its line numbers in the old and
    // the new file: 0 where it has none.
    LineKind lineKind(int block) const;
    QPair<int, int> lineNumbers(int block) const;

    static LineKind kindOf(const QString &line);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Colours come from the palette and the margin's width from the font: both are set again
    // when either changes.
    void changeEvent(QEvent *event) override;

private:
    class NumberMargin;
    friend class NumberMargin;
    int marginWidth() const;
    void paintMargin(QPaintEvent *event);
    void updateMargin(const QRect &rect, int dy);
    void buildDocument();

    NumberMargin *m_margin;
    QStringList m_lines;
    int m_digits = 1;
    QVector<LineKind> m_kinds;
    QVector<QPair<int, int>> m_numbers;
};
