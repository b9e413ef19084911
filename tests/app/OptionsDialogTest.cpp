// The options dialog and the rules by which it stores the four run settings.

#include "AppTestSupport.h"
#include "CDlgOptions.h"
#include "CRunSettings.h"
#include "GuiTestRegistry.h"

#include <QCheckBox>
#include <QLineEdit>
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
        QTest::mouseClick(dialog.UseSeparatorBox(), Qt::LeftButton);
        QVERIFY(!dialog.UseSeparatorBox()->isChecked());
        QVERIFY(!dialog.SeparatorEdit()->isEnabled());
        QCOMPARE(dialog.m_useSeparator, 0);
        dialog.SeparatorEdit()->setText(QStringLiteral("GO"));
        dialog.accept();
        QCOMPARE(StoredValue("SEPARATOR").toString(), QStringLiteral("GO"));
        QCOMPARE(StoredValue("USESEP").toInt(), 0);
        QTest::mouseClick(dialog.UseSeparatorBox(), Qt::LeftButton);
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
    static QVariant StoredValue(const char* name)
    {
        QSettings store(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
        return store.value(QStringLiteral("Settings/") + QLatin1String(name));
    }
};

TESSELLA_GUI_TEST(OptionsDialogTest)
#include "OptionsDialogTest.moc"
