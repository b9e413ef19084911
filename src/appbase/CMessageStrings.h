#pragma once

#include <QString>

// Numbers of the program's own message strings. Command status texts are found under the
// command's number (CommandIds.h).
enum MessageId : int
{
    MsgAppTitle = 57344,
    MsgIdleText = 57345,
    MsgAskToSave = 61440,
    MsgFailedToOpenDocument = 61441,
    MsgFailedToSaveDocument = 61442,
    MsgFileNotFound = 61443,
    MsgUnexpectedFormat = 61444,
    MsgWriteDenied = 61445,
    MsgAccessDenied = 61446,
    MsgReadError = 61447,
    MsgNoDisplay = 61448,
};

// The table of the program's message strings, looked up by number as string resources are.
class CMessageStrings
{
public:
    // False, with `text` untouched, when the table has no string under `id`.
    static bool Load(int id, QString& text);

    // The string under `id`, or the empty text when there is none.
    static QString Text(int id);
};
