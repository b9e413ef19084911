#include "GuiTestRegistry.h"
#include "execution/CTessellaDoc.h"
#include "results/CConnectionPage.h"
#include "results/CDataSourceCombo.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <limits>

namespace {

CConnectionData Entry(const QString& name, const QString& login = {}, int timeOut = 30)
{
    CConnectionData entry;
    entry.m_dataSource = name;
    entry.m_login = login;
    entry.m_password = login + QStringLiteral("-secret");
    entry.m_timeOut = timeOut;
    return entry;
}

// A page over a document of its own, and its controls by name.
struct PageFixture
{
    explicit PageFixture(const CConnectionDataArray& connections = {})
    {
        document.m_connections = connections;
        // Kept connections are what "Update" and "Delete" must reset.
        CRunSettings settings;
        settings.reconnect = false;
        document.SetSettingsOverride(settings);
    }

    template <class T> T* Control(const char* name) const
    {
        return page.findChild<T*>(QLatin1String(name));
    }
    QPushButton* Button(const char* name) const { return Control<QPushButton>(name); }

    void TypeName(const QString& name) const
    {
        QLineEdit* edit = Control<CDataSourceCombo>("dataSource")->lineEdit();
        edit->clear();
        QTest::keyClicks(edit, name);
    }

    // Add, Update and Delete as enabled now, e.g. "-UD".
    QString ButtonStates() const
    {
        return QString(Button("add")->isEnabled() ? u'A' : u'-') +
               (Button("update")->isEnabled() ? u'U' : u'-') +
               (Button("delete")->isEnabled() ? u'D' : u'-');
    }

    QStringList Names() const
    {
        QStringList names;
        for (const CConnectionData& entry : document.m_connections) {
            names << entry.m_dataSource;
        }
        return names;
    }

    CTessellaDoc document;
    CConnectionPage page{document, nullptr};
};

} // namespace

class ConnectionPageTest : public QObject
{
    Q_OBJECT

private slots:
    void startsWithAFreshEntry()
    {
        PageFixture fixture;
        CConnectionData read = Entry(QStringLiteral("leftover"), QStringLiteral("x"), 5);
        QVERIFY(!fixture.page.ReadRecord(read));
        QCOMPARE(read, CConnectionData());
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("---"));
    }

    void writtenEntryReadsBackUnchanged_data()
    {
        QTest::addColumn<int>("savePassword");
        QTest::addColumn<int>("enabled");
        QTest::newRow("both ticked") << 1 << 1;
        QTest::newRow("none ticked") << 0 << 0;
        QTest::newRow("only enabled") << 0 << 1;
    }
    void writtenEntryReadsBackUnchanged()
    {
        QFETCH(int, savePassword);
        QFETCH(int, enabled);
        PageFixture fixture;
        CConnectionData entry = Entry(QStringLiteral("Orders"), QStringLiteral("sa"), 45);
        entry.m_savePassword = savePassword;
        entry.m_enabled = enabled;
        fixture.page.WriteRecord(entry);
        CConnectionData read;
        QVERIFY(fixture.page.ReadRecord(read));
        QCOMPARE(read, entry);
    }

    void writtenNamePicksItsExactEntry()
    {
        PageFixture fixture;
        auto* combo = fixture.Control<CDataSourceCombo>("dataSource");
        fixture.page.WriteRecord(Entry(QStringLiteral("Sales")));
        fixture.page.WriteRecord(Entry(QStringLiteral("sales")));
        fixture.page.WriteRecord(Entry(QStringLiteral("Archive")));
        fixture.page.WriteRecord(Entry(QStringLiteral("Sales")));
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items << combo->itemText(i);
        }
        // Each name once, sorted with case ignored; the exact one is picked.
        QCOMPARE(items.size(), 3);
        QCOMPARE(items.first(), QStringLiteral("Archive"));
        QVERIFY(items.contains(QStringLiteral("sales")));
        QCOMPARE(combo->currentText(), QStringLiteral("Sales"));
        QCOMPARE(combo->itemText(combo->currentIndex()), QStringLiteral("Sales"));
    }

    void timeOutIsTheLeadingInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("timeOut");
        QTest::newRow("number and letter") << QStringLiteral("45x") << 45;
        QTest::newRow("letters only") << QStringLiteral("abc") << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("leading blanks") << QStringLiteral("  12 s") << 12;
        QTest::newRow("negative") << QStringLiteral("-7") << -7;
        QTest::newRow("sign without digits") << QStringLiteral("+x") << 0;
        QTest::newRow("digits after letters") << QStringLiteral("x45") << 0;
        QTest::newRow("too large")
            << QStringLiteral("99999999999") << std::numeric_limits<int>::max();
        QTest::newRow("too small")
            << QStringLiteral("-99999999999") << std::numeric_limits<int>::min();
    }
    void timeOutIsTheLeadingInteger()
    {
        QFETCH(QString, text);
        QFETCH(int, timeOut);
        PageFixture fixture;
        fixture.page.WriteRecord(Entry(QStringLiteral("Orders")));
        auto* edit = fixture.Control<QLineEdit>("timeOut");
        edit->clear();
        QTest::keyClicks(edit, text);
        CConnectionData read;
        QVERIFY(fixture.page.ReadRecord(read));
        QCOMPARE(read.m_timeOut, timeOut);
    }

    void buttonsFollowTheTypedName()
    {
        PageFixture fixture({Entry(QStringLiteral("Alpha")), Entry(QStringLiteral("Beta"))});
        fixture.TypeName(QStringLiteral("Beta"));
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("-UD"));
        fixture.TypeName(QStringLiteral("beta"));
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("A--"));
        fixture.TypeName(QStringLiteral("Bet"));
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("A--"));
        fixture.TypeName(QString());
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("---"));
        fixture.page.WriteRecord(Entry(QStringLiteral("Alpha")));
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("-UD"));
    }

    void addAppendsACopy()
    {
        PageFixture fixture({Entry(QStringLiteral("Alpha"))});
        QSignalSpy changed(&fixture.page, &CConnectionPage::connectionsChanged);
        QSignalSpy modified(&fixture.page, &CConnectionPage::documentModified);
        const CConnectionData entry = Entry(QStringLiteral("alpha"), QStringLiteral("u"), 9);
        fixture.page.WriteRecord(entry);
        QTest::mouseClick(fixture.Button("add"), Qt::LeftButton);
        QCOMPARE(fixture.document.m_connections.size(), 2);
        QCOMPARE(fixture.document.m_connections.at(1), entry);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(modified.count(), 1);
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("-UD"));
    }

    void emptyNameChangesNothing()
    {
        PageFixture fixture({Entry(QStringLiteral("Alpha"))});
        const CConnectionDataArray before = fixture.document.m_connections;
        QSignalSpy changed(&fixture.page, &CConnectionPage::connectionsChanged);
        QSignalSpy modified(&fixture.page, &CConnectionPage::documentModified);
        fixture.page.WriteRecord(Entry(QStringLiteral("Alpha")));
        // The buttons are stale on purpose: each command must refresh them.
        fixture.TypeName(QString());
        fixture.Button("add")->setEnabled(true);
        fixture.page.Add();
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("---"));
        fixture.Button("update")->setEnabled(true);
        fixture.page.Update();
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("---"));
        fixture.Button("delete")->setEnabled(true);
        fixture.page.Delete();
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("---"));
        QCOMPARE(fixture.document.m_connections, before);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(modified.count(), 0);
    }

    void updateReplacesTheOtherFieldsInPlace()
    {
        PageFixture fixture({Entry(QStringLiteral("A"), QStringLiteral("a")),
                             Entry(QStringLiteral("B"), QStringLiteral("b")),
                             Entry(QStringLiteral("C"), QStringLiteral("c"))});
        QVERIFY(fixture.document.GetSharedConnection(QStringLiteral("B")));
        QVERIFY(fixture.document.GetSharedConnection(QStringLiteral("C")));
        QSignalSpy changed(&fixture.page, &CConnectionPage::connectionsChanged);
        QSignalSpy modified(&fixture.page, &CConnectionPage::documentModified);

        CConnectionData edited = Entry(QStringLiteral("B"), QStringLiteral("admin"), 120);
        edited.m_savePassword = 0;
        edited.m_enabled = 0;
        fixture.page.WriteRecord(edited);
        QTest::mouseClick(fixture.Button("update"), Qt::LeftButton);

        QCOMPARE(fixture.Names(), QStringList({"A", "B", "C"}));
        QCOMPARE(fixture.document.m_connections.at(1), edited);
        QCOMPARE(fixture.document.m_connections.at(0).m_login, QStringLiteral("a"));
        QCOMPARE(fixture.document.m_connections.at(2).m_login, QStringLiteral("c"));
        QVERIFY(!fixture.document.HasKeptConnection(QStringLiteral("B")));
        QVERIFY(fixture.document.HasKeptConnection(QStringLiteral("C")));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(modified.count(), 1);
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("-UD"));
    }

    void updateOfANewNameAppends()
    {
        PageFixture fixture({Entry(QStringLiteral("A"))});
        QSignalSpy modified(&fixture.page, &CConnectionPage::documentModified);
        const CConnectionData entry = Entry(QStringLiteral("a"), QStringLiteral("u"));
        fixture.page.WriteRecord(entry);
        fixture.page.Update();
        QCOMPARE(fixture.Names(), QStringList({"A", "a"}));
        QCOMPARE(fixture.document.m_connections.at(1), entry);
        QCOMPARE(modified.count(), 1);
    }

    void deleteKeepsTheOthersInOrder()
    {
        PageFixture fixture({Entry(QStringLiteral("A"), QStringLiteral("a")),
                             Entry(QStringLiteral("B"), QStringLiteral("b")),
                             Entry(QStringLiteral("C"), QStringLiteral("c"))});
        QVERIFY(fixture.document.GetSharedConnection(QStringLiteral("B")));
        QSignalSpy changed(&fixture.page, &CConnectionPage::connectionsChanged);
        QSignalSpy modified(&fixture.page, &CConnectionPage::documentModified);
        const CConnectionData shown = Entry(QStringLiteral("B"), QStringLiteral("other"), 7);
        fixture.page.WriteRecord(shown);
        QTest::mouseClick(fixture.Button("delete"), Qt::LeftButton);

        QCOMPARE(fixture.Names(), QStringList({"A", "C"}));
        QCOMPARE(fixture.document.m_connections.at(1).m_login, QStringLiteral("c"));
        QVERIFY(!fixture.document.HasKeptConnection(QStringLiteral("B")));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(modified.count(), 1);
        // The page keeps what it showed, which is now a new name.
        CConnectionData read;
        QVERIFY(fixture.page.ReadRecord(read));
        QCOMPARE(read, shown);
        QCOMPARE(fixture.ButtonStates(), QStringLiteral("A--"));
    }

    void deleteOfAnUnknownNameOnlyRefreshes()
    {
        PageFixture fixture({Entry(QStringLiteral("A")), Entry(QStringLiteral("B"))});
        QSignalSpy changed(&fixture.page, &CConnectionPage::connectionsChanged);
        QSignalSpy modified(&fixture.page, &CConnectionPage::documentModified);
        fixture.page.WriteRecord(Entry(QStringLiteral("b")));
        fixture.page.Delete();
        QCOMPARE(fixture.Names(), QStringList({"A", "B"}));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(modified.count(), 0);
    }

    void focusLeavesAButtonThatTurnsDisabled()
    {
        PageFixture fixture({Entry(QStringLiteral("A"))});
        fixture.page.show();
        fixture.page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&fixture.page));

        fixture.page.WriteRecord(Entry(QStringLiteral("New")));
        fixture.Button("add")->setFocus();
        QTest::keyClick(fixture.Button("add"), Qt::Key_Space);
        QCOMPARE(fixture.Names(), QStringList({"A", "New"}));
        QCOMPARE(QApplication::focusWidget(), fixture.Button("update"));

        fixture.Button("delete")->setFocus();
        QTest::keyClick(fixture.Button("delete"), Qt::Key_Space);
        QCOMPARE(fixture.Names(), QStringList({"A"}));
        QCOMPARE(QApplication::focusWidget(), fixture.Control<QLineEdit>("timeOut"));
    }
};

TESSELLA_GUI_TEST(ConnectionPageTest)

#include "ConnectionPageTest.moc"
