#pragma once

#include "appbase/CSuperApp.h"

#include <QList>
#include <QMessageBox>

// An application whose message boxes are recorded instead of shown. Questions take their
// answers from `answers` in order (Cancel when none is left); the rest answer OK.
template <class Base> class RecordingMessages : public Base
{
public:
    struct Shown
    {
        QString text;
        CSuperApp::MessageStyle style;
    };

    QMessageBox::StandardButton MessagePrimitive(const QString& text, CSuperApp::MessageStyle style,
                                                 int) override
    {
        shown.append({text, style});
        const bool question = style == CSuperApp::MessageStyle::YesNo ||
                              style == CSuperApp::MessageStyle::YesNoCancel;
        if (!question) {
            return QMessageBox::Ok;
        }
        return answers.isEmpty() ? QMessageBox::Cancel : answers.takeFirst();
    }

    QStringList Texts() const
    {
        QStringList texts;
        for (const Shown& message : shown) {
            texts << message.text;
        }
        return texts;
    }

    QList<Shown> shown;
    QList<QMessageBox::StandardButton> answers;
};

using RecordingApp = RecordingMessages<CSuperApp>;
