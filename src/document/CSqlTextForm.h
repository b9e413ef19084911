#pragma once

// How a SQL text is held as bytes: the encoding and the line ends a file came with, so that
// saving writes the text back the way it was read.
struct CSqlTextForm
{
    enum class Encoding
    {
        Utf8,
        Utf8WithBom,
        Windows1252
    };
    enum class LineEnd
    {
        Lf,
        CrLf,
        Cr
    };

    Encoding encoding = Encoding::Utf8;
    // The file's most frequent line end, which the editor gives to lines the user adds.
    LineEnd lineEnd = LineEnd::Lf;
    // The text part of a full document. Text that Windows-1252 cannot hold then falls back to
    // UTF-8 behind a byte-order mark, which the document's readers look for; bare SQL files
    // fall back to plain UTF-8, which other tools read without stumbling on the mark.
    bool documentFile = false;
    // Every line end becomes `lineEnd` when saving: the document file's rule for text that was
    // not read from one.
    bool normaliseLineEnds = false;

    // Text the user typed into a new document, saved as bare SQL: as typed, in UTF-8.
    static CSqlTextForm NewText() { return {}; }
    // Text a full document gets when it did not come from one: Windows-1252, CR LF.
    static CSqlTextForm NewDocumentText()
    {
        return {Encoding::Windows1252, LineEnd::CrLf, true, true};
    }

    friend bool operator==(const CSqlTextForm&, const CSqlTextForm&) = default;
};
