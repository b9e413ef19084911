// The options dialog and the rules by which it stores the run settings.

#include "AppTestSupport.h"
#include "GuiTestRegistry.h"
#include "app/CDlgOptions.h"
#include "execution/CRunSettings.h"

#include <QCheckBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

class OptionsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ClearSettings(); }

    void defaultsAreShownWhenNothingIsStored()
    {
        CDlgOptions dialog;
        dialog.LoadSettings();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(dialog.SeparatorEdit()->text(), QStringLiteral(";"));
        QVERIFY(dialog.UseSeparatorBox()->isChecked());
        QVERIFY(dialog.SeparatorEdit()->isEnabled());
        QVERIFY(!dialog.IgnoreInfoBox()->isChecked());
        QVERIFY(!dialog.ReconnectBox()->isChecked());
        QCOMPARE(dialog.UseSeparatorBox()->text(), QStringLiteral("Use batch separator"));
        QCOMPARE(dialog.IgnoreInfoBox()->text(), QStringLiteral("Ignore info messages"));
        QCOMPARE(dialog.ReconnectBox()->text(), QStringLiteral("Reconnect every run"));
    }

    void separatorRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty keeps the old one") << QString() << QStringLiteral("GO");
        QTest::newRow("one blank keeps the old one") << QStringLiteral(" ") << QStringLiteral("GO");
        QTest::newRow("two blanks are stored") << QStringLiteral("  ") << QStringLiteral("  ");
        QTest::newRow("a blank in front is kept") << QStringLiteral(" go") << QStringLiteral(" go");
        QTest::newRow("a word") << QStringLiteral("$$") << QStringLiteral("$$");
    }

    void separatorRules()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        CRunSettings old;
        old.separator = QStringLiteral("GO");
        old.Save();
        CDlgOptions dialog;
        dialog.LoadSettings();
        QCOMPARE(dialog.SeparatorEdit()->text(), QStringLiteral("GO"));
        dialog.SeparatorEdit()->setText(typed);
        dialog.accept();
        QCOMPARE(StoredValue("SEPARATOR").toString(), stored);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void clearingUseSeparatorDisablesTheBoxButItsTextIsStored()
    {
        CDlgOptions dialog;
        dialog.LoadSettings();
        dialog.show();
        ClickTheBox(dialog.UseSeparatorBox());
        QVERIFY(!dialog.UseSeparatorBox()->isChecked());
        QVERIFY(!dialog.SeparatorEdit()->isEnabled());
        QCOMPARE(dialog.m_useSeparator, 0);
        dialog.SeparatorEdit()->setText(QStringLiteral("GO"));
        dialog.accept();
        QCOMPARE(StoredValue("SEPARATOR").toString(), QStringLiteral("GO"));
        QCOMPARE(StoredValue("USESEP").toInt(), 0);
        ClickTheBox(dialog.UseSeparatorBox());
        QVERIFY(dialog.SeparatorEdit()->isEnabled());
    }

    void storedSettingsAreShown()
    {
        CRunSettings stored;
        stored.separator = QStringLiteral("GO");
        stored.useSeparator = false;
        stored.ignoreInfo = true;
        stored.reconnect = true;
        stored.Save();
        CDlgOptions dialog;
        dialog.LoadSettings();
        QCOMPARE(dialog.SeparatorEdit()->text(), QStringLiteral("GO"));
        QVERIFY(!dialog.SeparatorEdit()->isEnabled());
        QVERIFY(dialog.IgnoreInfoBox()->isChecked());
        QVERIFY(dialog.ReconnectBox()->isChecked());
    }

    void flagsAreStoredAsNumbers()
    {
        CDlgOptions dialog;
        dialog.LoadSettings();
        dialog.IgnoreInfoBox()->setChecked(true);
        dialog.ReconnectBox()->setChecked(true);
        dialog.accept();
        QCOMPARE(StoredValue("IgnoreInfo").toInt(), 1);
        QCOMPARE(StoredValue("Reconnect").toInt(), 1);
        QCOMPARE(StoredValue("USESEP").toInt(), 1);
        const CRunSettings read = CRunSettings::Load();
        QVERIFY(read.ignoreInfo);
        QVERIFY(read.reconnect);
    }

    void resultMemoryLimitDefaultsToAQuarterOfPhysicalMemoryAndIsStored()
    {
        CDlgOptions dialog;
        dialog.LoadSettings();
        QCOMPARE(LabelOf(dialog, dialog.MemoryLimitBox()),
                 QStringLiteral("Result memory limit (MB):"));
        const qint64 quarter = MemTotalKiB() / 4 / 1024;
        QVERIFY(quarter > 0);
        QCOMPARE(dialog.MemoryLimitBox()->value(), int(quarter));

        dialog.MemoryLimitBox()->setValue(0);
        QCOMPARE(dialog.MemoryLimitBox()->text(), QStringLiteral("No limit"));
        dialog.accept();
        QCOMPARE(StoredValue("ResultMemoryLimitMB").toLongLong(), 0);
        QCOMPARE(CRunSettings::Load().resultMemoryLimitMB, 0);

        CDlgOptions again;
        again.LoadSettings();
        QCOMPARE(again.MemoryLimitBox()->value(), 0);
        TypeAndAccept(again, again.MemoryLimitBox(), QStringLiteral("512"));
        QCOMPARE(StoredValue("ResultMemoryLimitMB").toLongLong(), 512);
        CDlgOptions third;
        third.LoadSettings();
        QCOMPARE(third.MemoryLimitBox()->value(), 512);
    }

    void connectionsAtOnceShowsAllForNoLimitAndIsStored()
    {
        int stored = 0; // nothing stored yet: all at once
        for (const int typed : {8, 0}) {
            CDlgOptions dialog;
            dialog.LoadSettings();
            QCOMPARE(LabelOf(dialog, dialog.ConnectionsAtOnceBox()),
                     QStringLiteral("Connections at once:"));
            QCOMPARE(dialog.ConnectionsAtOnceBox()->value(), stored);
            TypeAndAccept(dialog, dialog.ConnectionsAtOnceBox(), QString::number(typed));
            QCOMPARE(StoredValue("ConnectionsAtOnce").toInt(), typed);
            QCOMPARE(CRunSettings::Load().connectionsAtOnce, typed);
            stored = typed;
        }
        CDlgOptions shown;
        shown.LoadSettings();
        QCOMPARE(shown.ConnectionsAtOnceBox()->text(), QStringLiteral("All"));
    }

    void cancelStoresNothing()
    {
        CDlgOptions dialog;
        dialog.LoadSettings();
        dialog.SeparatorEdit()->setText(QStringLiteral("GO"));
        dialog.ReconnectBox()->setChecked(true);
        dialog.reject();
        QSettings store(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
        QVERIFY(store.allKeys().isEmpty());
    }

private:
    // Types `text` over the box's value, as people do, and presses OK.
    static void TypeAndAccept(CDlgOptions& dialog, QSpinBox* box, const QString& text)
    {
        box->selectAll();
        QTest::keyClicks(box, text);
        dialog.accept();
    }

    // The text of the form's label for `field`; empty when it has none.
    static QString LabelOf(const CDlgOptions& dialog, QWidget* field)
    {
        const auto* form = dialog.findChild<QFormLayout*>();
        const auto* label = form ? qobject_cast<QLabel*>(form->labelForField(field)) : nullptr;
        return label ? label->text() : QString();
    }

    // On its square, as people click: the box spans the dialog's width, and its middle may lie
    // past the end of its text, where a click does nothing.
    static void ClickTheBox(QCheckBox* box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    static qint64 MemTotalKiB()
    {
        QFile meminfo(QStringLiteral("/proc/meminfo"));
        if (!meminfo.open(QIODevice::ReadOnly)) {
            return 0;
        }
        const auto match = QRegularExpression(QStringLiteral("MemTotal:\\s+(\\d+) kB"))
                               .match(QString::fromLatin1(meminfo.readAll()));
        return match.hasMatch() ? match.captured(1).toLongLong() : 0;
    }

    static QVariant StoredValue(const char* name)
    {
        QSettings store(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
        return store.value(QStringLiteral("Settings/") + QLatin1String(name));
    }
};

TESSELLA_GUI_TEST(OptionsDialogTest)
#include "OptionsDialogTest.moc"
