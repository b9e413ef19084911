#include "GuiTestRegistry.h"
#include "execution/CWorkerThread.h"
#include "results/CDlgClosingThreads.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>

namespace {

// A worker whose work lasts until it is released (or stopped).
class HeldThread : public CWorkerThread
{
public:
    HeldThread() { Start(); }
    ~HeldThread() override
    {
        Release();
        StopAndWait();
    }
    void Release() { m_released.store(true); }

protected:
    int Work() override
    {
        while (!m_released.load() && KeepRunningWithin(5)) {
        }
        return 0;
    }

private:
    std::atomic<bool> m_released{false};
};

bool Ended(const HeldThread& thread)
{
    return thread.WaitDone(std::chrono::milliseconds(2000));
}

} // namespace

class DlgClosingThreadsTest : public QObject
{
    Q_OBJECT

private slots:
    void showsOnlyItsText()
    {
        HeldThread thread;
        CDlgClosingThreads dialog({&thread}, nullptr);
        QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(dialog.isModal());
        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first()->text(),
                 QStringLiteral("Closing threads and database connections"));
        QCOMPARE(dialog.findChildren<QAbstractButton*>().size(), qsizetype(0));
    }

    void userCannotCloseIt()
    {
        HeldThread thread;
        CDlgClosingThreads dialog({&thread}, nullptr);
        dialog.open();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Enter);
        dialog.reject();
        QVERIFY(!dialog.close());
        QTest::qWait(50);
        QVERIFY(dialog.isVisible());
        thread.Release();
        QVERIFY(Ended(thread));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 2000);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void closesAtTheFirstTickAfterTheThreadsEnd()
    {
        HeldThread first;
        HeldThread second;
        second.Release();
        QVERIFY(Ended(second));
        CDlgClosingThreads dialog({&second, &first}, nullptr);
        QElapsedTimer opened;
        opened.start();
        dialog.open();
        // The tick at one second still finds the first thread running.
        QTest::qWait(1300);
        QVERIFY(dialog.isVisible());
        first.Release();
        QVERIFY(Ended(first));
        const qint64 ended = opened.elapsed();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 2000);
        const qint64 closed = opened.elapsed();
        // Closed by the next tick, at two seconds: not at once, not a tick later.
        QVERIFY2(closed >= 1950 && closed - ended < 1150,
                 qPrintable(QStringLiteral("ended %1, closed %2").arg(ended).arg(closed)));
    }

    void waitForLastsAtLeastOneTick()
    {
        HeldThread thread;
        QTimer::singleShot(300, [&thread] { thread.Release(); });
        QElapsedTimer waited;
        waited.start();
        CDlgClosingThreads::WaitFor({&thread}, nullptr);
        const qint64 elapsed = waited.elapsed();
        QVERIFY(!thread.IsRunning());
        // The thread ended after 300 ms; the window still stays until its first tick.
        QVERIFY2(elapsed >= 990 && elapsed < 1900, qPrintable(QString::number(elapsed)));
    }

    void offersCloseAnywayAfterFiveSecondsAndOnlyAClickTakesIt()
    {
        HeldThread thread;
        QElapsedTimer opened;
        bool absentBefore = false;
        qint64 offeredAt = -1;
        bool keysIgnored = false;
        QTimer look;
        look.setInterval(50);
        connect(&look, &QTimer::timeout, this, [&] {
            auto* window = qobject_cast<CDlgClosingThreads*>(QApplication::activeModalWidget());
            if (!window) {
                return;
            }
            QPushButton* button = window->CloseAnywayButton();
            if (opened.elapsed() < 4800) {
                absentBefore = !button && window->findChildren<QAbstractButton*>().isEmpty();
                return;
            }
            if (!button || !button->isVisible()) {
                return;
            }
            look.stop();
            offeredAt = opened.elapsed();
            QCOMPARE(button->text(), QStringLiteral("Close anyway"));
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Enter);
            QTest::keyClick(window, Qt::Key_Escape);
            keysIgnored = window->isVisible();
            QTest::mouseClick(button, Qt::LeftButton);
        });
        // Ends the wait however the window behaves.
        QTimer::singleShot(9000, this, [&thread] { thread.Release(); });
        opened.start();
        look.start();
        const bool ended = CDlgClosingThreads::WaitFor({&thread}, nullptr);
        QVERIFY(absentBefore);
        QVERIFY2(offeredAt >= 4900 && offeredAt < 6500, qPrintable(QString::number(offeredAt)));
        QVERIFY(keysIgnored);
        QVERIFY(!ended);
        QVERIFY2(opened.elapsed() < 7000, qPrintable(QString::number(opened.elapsed())));
        QVERIFY(thread.IsRunning());
    }

    void waiterShowsTheWindowOverItsParent()
    {
        QWidget parent;
        HeldThread thread;
        bool sawWindow = false;
        QTimer::singleShot(200, &parent, [&] {
            auto* window = qobject_cast<CDlgClosingThreads*>(QApplication::activeModalWidget());
            sawWindow = window && window->parentWidget() == &parent;
            thread.Release();
        });
        const auto waiter = CDlgClosingThreads::Waiter(&parent);
        waiter({&thread});
        QVERIFY(sawWindow);
        QVERIFY(!thread.IsRunning());
    }
};

TESSELLA_GUI_TEST(DlgClosingThreadsTest)

#include "DlgClosingThreadsTest.moc"
