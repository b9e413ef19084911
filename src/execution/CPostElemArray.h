#pragma once

#include "execution/CElemArray.h"
#include "execution/CMarkTable.h"

#include <QString>
#include <QStringView>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

// One batch of a query thread's elements on its way to the user-interface thread. The posting
// thread owns the batch object throughout; the elements pass to the document at intake, after
// which the user-interface thread stores 1 in m_handled (release) and the posting thread may
// delete or recycle the batch once it reads 1 (acquire).
class CPostElemArray : public CElemArray
{
public:
    // `growBy` elements are reserved up front: the posting thread's flush size.
    CPostElemArray(QString connectionName, int growBy)
        : m_connectionName(std::move(connectionName)), m_growBy(growBy)
    {
        reserve(growBy);
    }

    // Adds an element whose text is a copy of `text` in the batch's own blocks: a row costs no
    // allocation of its own, and none that the fetching driver's allocations interleave with
    // (psqlODBC's fetch took half as long again among them). Such a text lives as long as the
    // batch's contents: whoever keeps an element longer calls DetachTexts first.
    void AddText(int kind, QStringView text);
    // A fetched row; its marks (NULL and cut values) are kept beside it when it has any.
    void AddRow(QStringView text, const odbc::ValueMarks& marks);
    // The column names that open a result set, with the set's batch and result numbers as
    // CResultSet counts them.
    void AddHeader(QStringView text, int batch, int result);

    struct SetStart
    {
        qsizetype element; // the header's index
        int batch;
        int result;
    };
    // In element order.
    const std::vector<SetStart>& SetStarts() const { return m_setStarts; }
    // By element index.
    const CMarkTable& Marks() const { return m_marks; }
    void RemoveAllElements() override;
    // Gives every element that borrows its text from the batch a copy of its own, and frees the
    // blocks.
    void DetachTexts();
    // Empty and not handled, its blocks kept for the posting thread's next batch: a thread that
    // fetches a million rows makes no new batch every hundred.
    void Recycle();

    const QString m_connectionName;
    std::atomic<int> m_handled{0};

private:
    struct Block
    {
        std::unique_ptr<char16_t[]> chars;
        qsizetype size = 0;
    };

    // Where the next borrowed text goes: the rest of the block in use, else the next one kept
    // from an earlier use when the text fits it, else a new one.
    char16_t* Room(qsizetype length);

    std::vector<SetStart> m_setStarts;
    CMarkTable m_marks;
    int m_growBy;
    std::vector<Block> m_blocks;
    std::size_t m_blocksUsed = 0; // the last of them is the one being filled
    qsizetype m_used = 0;         // characters of it taken
};
