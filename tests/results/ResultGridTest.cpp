// The "Result Sets" page: the picker of a run's result sets, the grid that merges the
// connections' columns by name, its NULL, absent and cut cells, sorting, filtering, the row
// form and copying, fed with batches as the query threads post them.

#include "GuiTestRegistry.h"
#include "document/CConnectionData.h"
#include "execution/CPostElemArray.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"
#include "results/CCompareBar.h"
#include "results/CResultGrid.h"
#include "results/CResultGridModel.h"
#include "results/CResultSetsPage.h"
#include "results/CResultsView.h"
#include "results/CRowFormDialog.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFont>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

using State = CGridRows::State;

// A row's values; std::nullopt for NULL, a leading "~" for a value cut at the limit.
using Values = std::vector<std::optional<QString>>;

} // namespace

class ResultGridTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_document = std::make_unique<CTessellaDoc>();
        QVERIFY(m_document->SplitIntoBatches(
            u"-- the first ten ; customers\n/* a list */\nSELECT id, name, email FROM "
            u"customers\nWHERE id < 10\n;\nSELECT 2"_qs));
        m_view = std::make_unique<CResultsView>(*m_document);
        m_view->resize(900, 400);
        m_page = m_view->ResultSetsPage();
        m_model = m_page->GridModel();
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        m_tester.reset();
        m_view.reset();
        m_batches.clear();
        m_document.reset();
    }

    void columnsMergeByNameAndAMissingOneShowsAbsent()
    {
        Post(u"A"_qs, u"id\tName\temail"_qs, {{u"1"_qs, u"ann"_qs, u"a@x"_qs}});
        Post(u"B"_qs, u"ID\tname"_qs, {{u"2"_qs, u"bob"_qs}});
        Post(u"C"_qs, u"NAME\tid\tphone"_qs, {{u"cy"_qs, u"3"_qs, u"555"_qs}});
        m_page->Refresh();

        QCOMPARE(m_model->columnCount(), 5);
        QCOMPARE(Headers(), (QStringList{u"Connection"_qs, u"id"_qs, u"Name"_qs,
                                         u"email (not in 2 connections)"_qs,
                                         u"phone (not in 2 connections)"_qs}));
        QCOMPARE(m_model->headerData(3, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 u"Not returned by: B, C"_qs);
        QVERIFY(m_model->headerData(1, Qt::Horizontal, Qt::ToolTipRole).isNull());
        QCOMPARE(m_model->ColumnName(3), u"email"_qs);
        QCOMPARE(RowTexts(), (QList<QStringList>{{u"A"_qs, u"1"_qs, u"ann"_qs, u"a@x"_qs, {}},
                                                 {u"B"_qs, u"2"_qs, u"bob"_qs, {}, {}},
                                                 {u"C"_qs, u"3"_qs, u"cy"_qs, {}, u"555"_qs}}));
        // B's missing email: absent, drawn hatched, never NULL.
        const QModelIndex absent = m_model->index(1, 3);
        QCOMPARE(absent.data(CResultGridModel::StateRole).toInt(), int(State::Absent));
        QCOMPARE(absent.data(Qt::BackgroundRole).value<QBrush>().style(), Qt::BDiagPattern);
        QVERIFY(absent.data(Qt::ToolTipRole).toString().contains(u"no column \"email\""_qs));
        QCOMPARE(m_model->index(0, 3).data(CResultGridModel::StateRole).toInt(), int(State::Value));
        QVERIFY(m_model->index(0, 3).data(Qt::BackgroundRole).isNull());
    }

    void aNameOneConnectionRepeatsStaysTwoColumns()
    {
        Post(u"A"_qs, u"id\tid"_qs, {{u"1"_qs, u"10"_qs}});
        Post(u"B"_qs, u"ID"_qs, {{u"2"_qs}});
        m_page->Refresh();
        QCOMPARE(Headers(), (QStringList{u"Connection"_qs, u"id"_qs, u"id (not in B)"_qs}));
        QCOMPARE(RowTexts(),
                 (QList<QStringList>{{u"A"_qs, u"1"_qs, u"10"_qs}, {u"B"_qs, u"2"_qs, {}}}));
    }

    void nullEmptyAndCutValuesReadApart()
    {
        const QString whole(40, u'x');
        Post(u"A"_qs, u"id\tnote"_qs,
             {{u"1"_qs, std::nullopt}, {u"2"_qs, u""_qs}, {u"3"_qs, u"~"_qs + whole}});
        m_page->Refresh();

        const QModelIndex null = m_model->index(0, 2);
        QCOMPARE(null.data().toString(), u"NULL"_qs);
        QCOMPARE(null.data(CResultGridModel::StateRole).toInt(), int(State::Null));
        QVERIFY(null.data(Qt::FontRole).value<QFont>().italic());
        QVERIFY(null.data(Qt::ForegroundRole).isValid());
        const QModelIndex empty = m_model->index(1, 2);
        QCOMPARE(empty.data().toString(), QString());
        QCOMPARE(empty.data(CResultGridModel::StateRole).toInt(), int(State::Value));
        QVERIFY(empty.data(Qt::FontRole).isNull());
        const QModelIndex cut = m_model->index(2, 2);
        QCOMPARE(cut.data().toString(), whole + u"…"_qs);
        QCOMPARE(cut.data(CResultGridModel::ValueRole).toString(), whole);
        QVERIFY(cut.data(CResultGridModel::CutRole).toBool());
        QVERIFY(cut.data(Qt::ToolTipRole).toString().startsWith(whole));
        QVERIFY(cut.data(Qt::ToolTipRole).toString().contains(u"long-text limit"_qs));
        QVERIFY(!m_model->index(0, 1).data(CResultGridModel::CutRole).toBool());

        QCOMPARE(CRowFormDialog::FormText(*m_model, 0), u"Connection: A\nid: 1\nnote: NULL"_qs);
        QCOMPARE(CRowFormDialog::FormText(*m_model, 1), u"Connection: A\nid: 2\nnote: "_qs);
        QVERIFY(CRowFormDialog::FormText(*m_model, 2).endsWith(u"(cut at the long-text limit)"_qs));
    }

    void sortsNumbersAsNumbersTextWithoutCaseAndStably()
    {
        Post(u"A"_qs, u"n\tword"_qs,
             {{u"10"_qs, u"beta"_qs}, {u"9"_qs, u"Alpha"_qs}, {std::nullopt, u"alpha"_qs}});
        Post(u"B"_qs, u"N\tword\textra"_qs,
             {{u"100"_qs, u"Beta"_qs, u"e"_qs}, {u"-1.5"_qs, u"gamma"_qs, u"e"_qs}});
        m_page->Refresh();

        m_model->sort(1, Qt::AscendingOrder);
        QCOMPARE(Column(1), (QStringList{u"NULL"_qs, u"-1.5"_qs, u"9"_qs, u"10"_qs, u"100"_qs}));
        m_model->sort(1, Qt::DescendingOrder);
        QCOMPARE(Column(1), (QStringList{u"100"_qs, u"10"_qs, u"9"_qs, u"-1.5"_qs, u"NULL"_qs}));
        // Equal words keep the order they had: A's rows before B's.
        m_model->sort(2, Qt::AscendingOrder);
        QCOMPARE(Column(2),
                 (QStringList{u"Alpha"_qs, u"alpha"_qs, u"beta"_qs, u"Beta"_qs, u"gamma"_qs}));
        QCOMPARE(Column(0), (QStringList{u"A"_qs, u"A"_qs, u"A"_qs, u"B"_qs, u"B"_qs}));
        // Absent values first, then the values.
        m_model->sort(3, Qt::AscendingOrder);
        QCOMPARE(Column(3), (QStringList{{}, {}, {}, u"e"_qs, u"e"_qs}));
        // A column with one word among numbers sorts as text: "10" before "9".
        Post(u"B"_qs, {}, {{u"n/a"_qs, u"delta"_qs, u""_qs}});
        m_page->Refresh();
        m_model->sort(1, Qt::AscendingOrder);
        QCOMPARE(Column(1),
                 (QStringList{u"NULL"_qs, u"-1.5"_qs, u"10"_qs, u"100"_qs, u"9"_qs, u"n/a"_qs}));
    }

    void filterKeepsRowsHoldingTheTextAnywhere()
    {
        Post(u"Archive"_qs, u"id\tcity"_qs,
             {{u"1"_qs, u"Berlin"_qs}, {u"2"_qs, u"Bern"_qs}, {u"3"_qs, u"Oslo"_qs}});
        Post(u"Live"_qs, u"id\tcity"_qs, {{u"4"_qs, u"Lisbon"_qs}});
        m_page->Refresh();
        QCOMPARE(m_page->RowsLabel()->text(), u"4 row(s)"_qs);

        m_page->FilterBox()->setText(u"BER"_qs);
        QTRY_COMPARE(m_model->rowCount(), 2);
        QCOMPARE(Column(2), (QStringList{u"Berlin"_qs, u"Bern"_qs}));
        QCOMPARE(m_page->RowsLabel()->text(), u"2 of 4 rows"_qs);
        m_model->SetFilter(u"live"_qs);
        QCOMPARE(Column(2), (QStringList{u"Lisbon"_qs}));
        m_model->SetFilter(u"o"_qs);
        m_model->sort(2, Qt::DescendingOrder);
        QCOMPARE(Column(2), (QStringList{u"Oslo"_qs, u"Lisbon"_qs}));
        m_model->SetFilter(QString());
        QCOMPARE(m_model->rowCount(), 4);
        QCOMPARE(Column(2).first(), u"Oslo"_qs);
    }

    void pickerGroupsSetsByStatementAndFollowsTheRows()
    {
        Post(u"A"_qs, u"id"_qs, {{u"1"_qs}, {u"2"_qs}});
        Post(u"A"_qs, u"two"_qs, {{u"2"_qs}}, 1);
        m_page->Refresh();
        QComboBox* picker = m_page->Picker();
        QCOMPARE(picker->count(), 2);
        QCOMPARE(picker->itemText(0), u"Batch 1: SELECT id, name, email FROM customers …  —  "
                                      u"1 connection: 2 rows"_qs);
        QCOMPARE(picker->itemText(1), u"Batch 2: SELECT 2  —  1 connection: 1 row"_qs);
        picker->setCurrentIndex(1);
        QCOMPARE(Column(1), (QStringList{u"2"_qs}));

        // A slower connection's first set comes after; the pick stays on batch 2.
        Post(u"B"_qs, u"ID"_qs, {{u"7"_qs}});
        Post(u"A"_qs, {}, {{u"3"_qs}}, 1);
        m_page->NoteIntake();
        QTRY_COMPARE(picker->itemText(0), u"Batch 1: SELECT id, name, email FROM customers …  —  "
                                          u"2 connections: 2, 1 rows"_qs);
        QCOMPARE(picker->currentIndex(), 1);
        QCOMPARE(Column(1), (QStringList{u"2"_qs, u"3"_qs}));

        picker->setCurrentIndex(0);
        QCOMPARE(Column(0), (QStringList{u"A"_qs, u"A"_qs, u"B"_qs}));
    }

    void setsFollowTheConnectionListNotTheirArrival()
    {
        for (const QString& name : {u"Archive"_qs, u"Live"_qs, u"Staging"_qs}) {
            CConnectionData entry;
            entry.m_dataSource = name;
            m_document->m_connections.append(entry);
        }
        Post(u"Staging"_qs, u"id"_qs, {{u"3"_qs}});
        Post(u"Archive"_qs, u"id"_qs, {{u"1"_qs}});
        m_page->Refresh();
        Post(u"Live"_qs, u"id"_qs, {{u"2"_qs}});
        m_page->Refresh();
        QCOMPARE(Column(0), (QStringList{u"Archive"_qs, u"Live"_qs, u"Staging"_qs}));
        QCOMPARE(m_page->CompareBar()->ReferenceBox()->currentText(), u"Archive"_qs);
    }

    void copyPutsTextWithHeaderAndAnHtmlTable()
    {
        Post(u"A"_qs, u"id\tname\tnote"_qs,
             {{u"1"_qs, u"a<b"_qs, std::nullopt}, {u"2"_qs, u"c"_qs, u"x"_qs}});
        Post(u"B"_qs, u"id\tname"_qs, {{u"3"_qs, u"d"_qs}});
        m_page->Refresh();
        CResultGrid* grid = m_page->Grid();
        grid->selectionModel()->select(m_model->index(0, 2), QItemSelectionModel::Select);
        grid->selectionModel()->select(m_model->index(2, 3), QItemSelectionModel::Select);
        grid->selectionModel()->select(m_model->index(0, 0), QItemSelectionModel::Select);
        QApplication::clipboard()->clear();

        grid->setFocus();
        QTest::keySequence(grid, QKeySequence::Copy);

        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(data->hasText() && data->hasHtml());
        QCOMPARE(data->text(), u"Connection\tname\tnote\nA\ta<b\t\nB\td\t\n"_qs);
        const QString html = data->html();
        QVERIFY(html.contains(u"<th>Connection</th><th>name</th><th>note</th>"_qs));
        QVERIFY(html.contains(u"<tr><td>A</td><td>a&lt;b</td><td class=\"null\"></td></tr>"_qs));
        // B returned no note: no value either.
        QVERIFY(html.contains(u"<tr><td>B</td><td>d</td><td class=\"null\"></td></tr>"_qs));
        QVERIFY2(!html.contains(u"<td>c</td>"_qs), "row 2 has no selected cell");

        // "Copy as" JSON: one object a row, NULL as null.
        grid->CopyAs(ResultFormat::JsonObjects);
        const QJsonDocument json =
            QJsonDocument::fromJson(QApplication::clipboard()->text().toUtf8());
        QVERIFY(json.isArray());
        QCOMPARE(json.array().size(), 2);
        const QJsonObject first = json.array().at(0).toObject();
        QCOMPARE(first.value(u"Connection"_qs).toString(), u"A"_qs);
        QCOMPARE(first.value(u"name"_qs).toString(), u"a<b"_qs);
        QVERIFY(first.value(u"note"_qs).isNull());
        // Without the connection column the text has none.
        grid->clearSelection();
        grid->selectionModel()->select(m_model->index(1, 1), QItemSelectionModel::Select);
        grid->CopyAs(ResultFormat::Csv);
        QCOMPARE(QApplication::clipboard()->text().trimmed(), u"id\r\n2"_qs);
    }

    void compareMarksRowsAndValuesAgainstTheReference()
    {
        Post(u"A"_qs, u"id\tname"_qs, {{u"1"_qs, u"x"_qs}, {u"2"_qs, u"y"_qs}, {u"3"_qs, u"z"_qs}});
        Post(u"B"_qs, u"ID\tNAME"_qs, {{u"1"_qs, u"x"_qs}, {u"2"_qs, u"Y"_qs}, {u"4"_qs, u"w"_qs}});
        Post(u"C"_qs, u"id\tname"_qs, {{u"3"_qs, u"z"_qs}, {u"1"_qs, u"x"_qs}, {u"2"_qs, u"y"_qs}});
        m_page->Refresh();
        CCompareBar* bar = m_page->CompareBar();
        QCOMPARE(bar->ReferenceBox()->currentText(), u"A"_qs);
        QVERIFY(!bar->DifferencesOnly()->isEnabled());
        bar->SetKeyColumns({u"id"_qs});

        bar->CompareButton()->click();
        QTRY_VERIFY(bar->Comparison() != nullptr);

        QCOMPARE(bar->Summary()->text(), u"A: the reference\nB: 1 row only here, 1 row differs, "
                                         u"1 missing\nC: same as A"_qs);
        const auto background = [this](int row, int column) {
            return m_model->index(row, column).data(Qt::BackgroundRole).value<QBrush>().color();
        };
        // Rows: A 1 2 3, B 1 2 4, C 3 1 2.
        QVERIFY2(!m_model->index(0, 2).data(Qt::BackgroundRole).isValid(), "the same");
        QVERIFY(!m_model->index(6, 2).data(Qt::BackgroundRole).isValid());
        const QColor differs = background(4, 2);
        QVERIFY(differs.isValid());
        QVERIFY2(background(4, 1) != differs, "the key is the same");
        // The reference's value that B does not share.
        QCOMPARE(background(1, 2), differs);
        const QColor onlyHere = background(5, 1);
        const QColor missing = background(2, 1);
        QVERIFY(onlyHere.isValid() && missing.isValid() && onlyHere != missing);
        QCOMPARE(background(5, 2), onlyHere);
        QVERIFY(
            m_model->index(2, 0).data(Qt::ToolTipRole).toString().startsWith(u"Missing in B."_qs));
        QVERIFY(m_model->index(5, 0)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith(u"Only here: A has no such row."_qs));

        QVERIFY(bar->DifferencesOnly()->isEnabled());
        bar->DifferencesOnly()->setChecked(true);
        QCOMPARE(Column(1), (QStringList{u"2"_qs, u"3"_qs, u"2"_qs, u"4"_qs}));
        QCOMPARE(Column(0), (QStringList{u"A"_qs, u"A"_qs, u"B"_qs, u"B"_qs}));
        bar->DifferencesOnly()->setChecked(false);
        QCOMPARE(m_model->rowCount(), 9);

        // More rows of a connection: the comparison no longer holds and goes.
        Post(u"C"_qs, {}, {{u"5"_qs, u"v"_qs}});
        m_page->Refresh();
        QVERIFY(bar->Comparison() == nullptr);
        QVERIFY(!m_model->index(4, 2).data(Qt::BackgroundRole).isValid());
        QCOMPARE(m_model->rowCount(), 10);
    }

    void editCommandsAndEnterWorkOnTheGrid()
    {
        m_view->Tabs()->setCurrentWidget(m_page);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        Post(u"A"_qs, u"id\tname"_qs, {{u"1"_qs, u"x"_qs}, {u"2"_qs, std::nullopt}});
        m_page->Refresh();
        CResultGrid* grid = m_page->Grid();
        grid->setFocus();
        bool enabled = false;
        QVERIFY(m_view->UpdateCommand(Command::EditCopy, enabled) && enabled);
        QVERIFY(m_view->RunCommand(Command::EditSelectAll));
        QVERIFY(m_view->RunCommand(Command::EditCopy));
        QCOMPARE(QApplication::clipboard()->text(), u"Connection\tid\tname\nA\t1\tx\nA\t2\t\n"_qs);

        grid->setCurrentIndex(m_model->index(1, 2));
        QTest::keyClick(grid, Qt::Key_Return);
        const auto forms = m_page->findChildren<CRowFormDialog*>();
        QCOMPARE(forms.size(), 1);
        QCOMPARE(forms.first()->Text()->toPlainText(), u"Connection: A\nid: 2\nname: NULL"_qs);
    }

    void aNewRunEmptiesThePage()
    {
        Post(u"A"_qs, u"id"_qs, {{u"1"_qs}});
        m_page->Refresh();
        QCOMPARE(m_model->rowCount(), 1);
        emit m_document->runStarting();
        QCOMPARE(m_model->rowCount(), 0);
        QCOMPARE(m_model->columnCount(), 0);
        QCOMPARE(m_page->Picker()->count(), 0);
    }

private:
    // A batch of `connection`: the header (none when empty, to go on with its last set) and
    // its rows.
    void Post(const QString& connection, const QString& header, const std::vector<Values>& rows,
              int batch = 0)
    {
        auto posted = std::make_unique<CPostElemArray>(connection, 10);
        if (!header.isEmpty()) {
            posted->AddHeader(header, batch, 0);
        }
        for (const Values& row : rows) {
            QStringList texts;
            odbc::ValueMarks marks;
            marks.Reset(int(row.size()));
            for (size_t i = 0; i < row.size(); ++i) {
                if (!row[i]) {
                    marks.MarkNull(int(i));
                    texts << QString();
                } else if (row[i]->startsWith(u'~')) {
                    marks.MarkCut(int(i));
                    texts << row[i]->mid(1);
                } else {
                    texts << *row[i];
                }
            }
            posted->AddRow(texts.join(u'\t'), marks);
        }
        CArrayPostEvent event(posted.get());
        QCoreApplication::sendEvent(m_view.get(), &event);
        QCOMPARE(posted->m_handled.load(), 1);
        m_batches.push_back(std::move(posted));
    }

    QStringList Headers() const
    {
        QStringList headers;
        for (int c = 0; c < m_model->columnCount(); ++c) {
            headers << m_model->headerData(c, Qt::Horizontal).toString();
        }
        return headers;
    }
    QStringList Column(int column) const
    {
        QStringList texts;
        for (int r = 0; r < m_model->rowCount(); ++r) {
            texts << m_model->index(r, column).data().toString();
        }
        return texts;
    }
    QList<QStringList> RowTexts() const
    {
        QList<QStringList> rows;
        for (int r = 0; r < m_model->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < m_model->columnCount(); ++c) {
                row << m_model->index(r, c).data().toString();
            }
            rows << row;
        }
        return rows;
    }

    std::unique_ptr<CTessellaDoc> m_document;
    std::unique_ptr<CResultsView> m_view;
    CResultSetsPage* m_page = nullptr;
    CResultGridModel* m_model = nullptr;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::vector<std::unique_ptr<CPostElemArray>> m_batches;
};

TESSELLA_GUI_TEST(ResultGridTest)
#include "ResultGridTest.moc"
