#pragma once

#include <QTranslator>

/// Marks every text of one translation context as "[text]", so tests can see which context a text went
/// through.
class ContextTranslator : public QTranslator
{
public:
    explicit ContextTranslator(const char *context)
        : m_context(context)
    {
    }

    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, m_context) != 0) {
            return QString();
        }
        return QLatin1Char('[') + QString::fromUtf8(sourceText) + QLatin1Char(']');
    }

    bool isEmpty() const override { return false; }

private:
    const char *m_context;
};
