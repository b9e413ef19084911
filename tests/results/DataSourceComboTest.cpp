#include "GuiTestRegistry.h"
#include "OdbcTestConfig.h"
#include "execution/CTessellaDoc.h"
#include "results/CConnectionPage.h"
#include "results/CDataSourceCombo.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList Items(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) {
        items << combo.itemText(i);
    }
    return items;
}

// Data sources of the private ODBC configuration, present for the object's life.
class ListedDataSources
{
public:
    explicit ListedDataSources(const QStringList& names) : m_names(names)
    {
        for (const QString& name : m_names) {
            OdbcTestConfig::Instance().SetDataSource(
                name, {{QStringLiteral("Driver"), QStringLiteral("SQLite3")},
                       {QStringLiteral("Database"), QStringLiteral("/nonexistent/db")}});
        }
    }
    ~ListedDataSources()
    {
        for (const QString& name : m_names) {
            OdbcTestConfig::Instance().RemoveDataSource(name);
        }
    }
    ListedDataSources(const ListedDataSources&) = delete;
    ListedDataSources& operator=(const ListedDataSources&) = delete;

private:
    QStringList m_names;
};

} // namespace

class DataSourceComboTest : public QObject
{
    Q_OBJECT

private slots:
    void openingTheListFillsItFromTheDriverManager()
    {
        const ListedDataSources sources(
            {QStringLiteral("ZetaOrders"), QStringLiteral("alphaStock")});
        CDataSourceCombo combo;
        combo.ShowName(QStringLiteral("Typed"));
        combo.showPopup();
        combo.hidePopup();
        // The list holds what the driver manager knows, sorted with case ignored.
        QCOMPARE(Items(combo), QStringList({"alphaStock", "ZetaOrders"}));
    }

    void listFollowsTheConfiguration()
    {
        CDataSourceCombo combo;
        {
            const ListedDataSources sources({QStringLiteral("Gone")});
            combo.FillFromDriverManager();
            QCOMPARE(Items(combo), QStringList({"Gone"}));
        }
        const ListedDataSources sources({QStringLiteral("Kept")});
        combo.FillFromDriverManager();
        QCOMPARE(Items(combo), QStringList({"Kept"}));
    }

    void previousPickStaysPicked()
    {
        const ListedDataSources sources(
            {QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("BetaTwo")});
        CDataSourceCombo combo;
        combo.FillFromDriverManager();
        combo.setCurrentIndex(combo.findText(QStringLiteral("BetaTwo")));
        combo.showPopup();
        combo.hidePopup();
        QCOMPARE(combo.currentText(), QStringLiteral("BetaTwo"));
        QCOMPARE(combo.itemText(combo.currentIndex()), QStringLiteral("BetaTwo"));
    }

    void previousPickMatchesTheFirstEntryBeginningWithIt()
    {
        const ListedDataSources sources(
            {QStringLiteral("Alpha"), QStringLiteral("BetaTwo"), QStringLiteral("BETA3")});
        CDataSourceCombo combo;
        // A name the driver manager does not list, picked on the page.
        combo.ShowName(QStringLiteral("beta"));
        combo.FillFromDriverManager();
        QCOMPARE(Items(combo), QStringList({"Alpha", "BETA3", "BetaTwo"}));
        QCOMPARE(combo.currentIndex(), 1);
        QCOMPARE(combo.currentText(), QStringLiteral("BETA3"));
    }

    void typedTextIsNoPick()
    {
        const ListedDataSources sources({QStringLiteral("Alpha"), QStringLiteral("Alphabet")});
        CDataSourceCombo combo;
        combo.FillFromDriverManager();
        combo.setCurrentIndex(combo.findText(QStringLiteral("Alphabet")));
        combo.lineEdit()->clear();
        QTest::keyClicks(combo.lineEdit(), QStringLiteral("alp"));
        combo.FillFromDriverManager();
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.Name(), QStringLiteral("alp"));
    }

    void openingTheListRefreshesThePageButtons()
    {
        const ListedDataSources sources({QStringLiteral("Warehouse")});
        CTessellaDoc document;
        CConnectionData entry;
        entry.m_dataSource = QStringLiteral("Warehouse");
        document.m_connections.append(entry);
        CConnectionPage page(document, nullptr);
        entry.m_dataSource = QStringLiteral("WARE");
        page.WriteRecord(entry);
        auto* update = page.findChild<QPushButton*>(QStringLiteral("update"));
        QVERIFY(!update->isEnabled());

        page.findChild<CDataSourceCombo*>(QStringLiteral("dataSource"))->showPopup();
        CConnectionData read;
        QVERIFY(page.ReadRecord(read));
        QCOMPARE(read.m_dataSource, QStringLiteral("Warehouse"));
        QVERIFY(update->isEnabled());
    }
};

TESSELLA_GUI_TEST(DataSourceComboTest)

#include "DataSourceComboTest.moc"
