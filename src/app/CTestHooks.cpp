#include "app/CTestHooks.h"

#include "app/CDlgRecovery.h"
#include "app/CMainFrame.h"
#include "app/CTessellaApp.h"
#include "views/CChildFrame.h"
#include "views/CTessellaView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <cstdio>

void CTestHooks::Run(CTessellaApp& app)
{
    const QString answer = qEnvironmentVariable("TESSELLA_TEST_RECOVERY_ANSWER");
    if (!answer.isEmpty()) {
        AnswerRecoveryOffer(app, answer);
    }
    const QString text = qEnvironmentVariable("TESSELLA_TEST_TYPE");
    if (!text.isEmpty()) {
        Type(app, text);
    }
}

void CTestHooks::AnswerRecoveryOffer(CTessellaApp& app, const QString& answer)
{
    CDlgRecovery* offer = app.RecoveryOffer();
    const int count = offer ? offer->Count() : 0;
    for (int row = 0; row < count; ++row) {
        std::printf("tessella: recovery offer \"%s\" %s\n", qUtf8Printable(offer->NameText(row)),
                    qUtf8Printable(
                        offer->DetailText(row).replace(QLatin1Char('\n'), QStringLiteral(" | "))));
    }
    std::printf("tessella: recovery offered %d\n", count);
    std::fflush(stdout);
    for (int row = 0; row < count; ++row) {
        QPushButton* button = answer == QLatin1String("restore") ? offer->RestoreButton(row)
                                                                 : offer->DiscardButton(row);
        button->click();
    }
}

void CTestHooks::Type(CTessellaApp& app, const QString& text)
{
    CChildFrame* child = app.MainFrame()->ActiveChild();
    if (!child) {
        return;
    }
    for (const QChar character : text) {
        const bool newLine = character == QLatin1Char('\n');
        const int key = newLine ? Qt::Key_Return : 0;
        const QString typed = newLine ? QStringLiteral("\r") : QString(character);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
        QCoreApplication::sendEvent(child->Editor(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, typed);
        QCoreApplication::sendEvent(child->Editor(), &release);
    }
}
