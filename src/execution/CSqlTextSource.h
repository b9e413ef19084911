#pragma once

#include <QString>

// Where a run takes its SQL from: the editor's selection, or all of its text
// (which the editor then selects). The runner and tests hand in a string.
class CSqlTextSource
{
public:
    virtual ~CSqlTextSource() = default;
    virtual QString TakeRunText() = 0;
};

class CStringTextSource : public CSqlTextSource
{
public:
    explicit CStringTextSource(QString text) : m_text(std::move(text)) {}
    QString TakeRunText() override { return m_text; }

private:
    QString m_text;
};
