// The waybill window and the serial-number dialogs on a real database under the offscreen
// platform: keys typed into the real grid one by one, the record checked after each.
#include "core/catalogue.h"
#include "core/dbconnection.h"
#include "gui/entrygrid.h"
#include "gui/tarvikapp.h"
#include "gui/uDmMain.h"
#include "gui/uDoc.h"
#include "gui/uMain.h"
#include "gui/uSerialNum.h"
#include "modal.h"
#include "testdb.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest/QtTest>

namespace {

TContData line(int elem, int recip, const QString& recipS, double quant, double summa) {
    TContData d;
    d.elem = elem;
    d.recip = recip;
    d.recipS = recipS;
    d.elemS = QStringLiteral("Товар %1").arg(elem);
    d.unit = QStringLiteral("шт");
    d.data = QDate(2026, 3, 1);
    d.quant = quant;
    d.summa = summa;
    return d;
}

// A contract with two recipients: "А" gets goods 1 (10 at 12.5) and 2 (5 at 10), "Б" goods 3.
void seed(const QString& path) {
    DbConnection c(path);
    c.dbTarvik.open();
    c.beginWrite();
    TContTitle title;
    title.docno = QStringLiteral("К-1");
    Catalogue::insertContract(c.qTarvik, title, QStringLiteral("/k.dat"));
    Catalogue::ContractLineInsert insert(c.qTarvik, *Catalogue::lastContractNumber(c.qTarvik));
    insert.insert(line(1, 7, QStringLiteral("А"), 10, 125));
    insert.insert(line(2, 7, QStringLiteral("А"), 5, 50));
    insert.insert(line(3, 8, QStringLiteral("Б"), 1, 1));
    c.trTarvik.commit();
}

// A key pressed and released on the focused widget, as a keyboard sends it.
void key(int k, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QPointer<QWidget> target = QApplication::focusWidget();
    QVERIFY(target);
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(target, &press);
    // The press may have closed the widget (Enter in an editor, a dialog it opened).
    if (target) {
        QKeyEvent release(QEvent::KeyRelease, k, mods, text);
        QApplication::sendEvent(target, &release);
    }
    QCoreApplication::processEvents();
}

// One typed character (Cyrillic included).
void type(QChar ch) {
    const int k = ch.unicode() < 128 && ch.isLetterOrNumber() ? int(ch.toUpper().unicode())
                                                              : int(Qt::Key_unknown);
    key(k, QString(ch));
}

TDoc* openDoc() {
    TDoc* doc = forms().Doc;
    TdmMain& dm = *forms().Main->dmMain;
    doc->setRecipients(Catalogue::recipients(dm.qTarvik, dm.selectedContract()));
    doc->LoadItems();
    doc->show();
    doc->activateWindow();
    doc->DrawGrid1->setFocus();
    return doc;
}

QString shown(TDoc* doc, int row, int column) {
    return doc->DrawGrid1->model()->index(row, column).data().toString();
}

// True when any pixel of the cell has the folder's fill colour.
bool cellHasIcon(TDoc* doc, int row, int column) {
    TEntryGrid* g = doc->DrawGrid1;
    const QRect r = g->visualRect(g->model()->index(row, column));
    const QImage img = g->viewport()->grab(r).toImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == QColor(240, 200, 90))
                return true;
    return false;
}

} // namespace

class TestDoc : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDb> m_db;

private slots:
    void init() {
        m_db = std::make_unique<TestDb>();
        seed(m_db->path());
        createForms(m_db->path());
    }
    void cleanup() {
        destroyForms();
        m_db.reset();
        ClearRecordList(ContDataList);
    }
    void typingKeyByKey();
    void layoutAndHeader();
    void recipientChangeDiscardsEntries();
    void notAnIntegerVatRate();
    void iconOnlyInAWideColumn();
    void serialRowsFromTheGrid();
    void serialEmptyRowsAskFirst();
    void serialCutAtTwentyCharacters();
    void serialLoweredQuantityAndCancel();
};

void TestDoc::typingKeyByKey() {
    TDoc* doc = openDoc();
    QVERIFY(QTest::qWaitForWindowActive(doc));
    TEntryGrid* g = doc->DrawGrid1;
    const TContData& r0 = ContDataList[0];
    QCOMPARE(ContDataList.size(), 2);
    QCOMPARE(r0.quant, 10.0);
    QCOMPARE(r0.price, 12.5);
    QCOMPARE(g->currentIndex(), g->model()->index(0, 5));

    // A digit starts editing with that digit; each key is stored at once.
    type('1');
    QVERIFY(g->editor());
    QCOMPARE(g->editor()->text(), QStringLiteral("1"));
    QCOMPARE(r0.factQuant, 1.0);
    QCOMPARE(r0.factSumma, 12.5);
    QCOMPARE(shown(doc, 0, 7), QStringLiteral("12,5"));
    type('2');
    QCOMPARE(g->editor()->text(), QStringLiteral("12"));
    QCOMPARE(r0.factQuant, 10.0);
    QCOMPARE(r0.factSumma, 125.0);
    // Enter commits and moves down; the cell shows the capped value.
    key(Qt::Key_Return);
    QVERIFY(!g->editor());
    QCOMPARE(g->currentIndex(), g->model()->index(1, 5));
    QCOMPARE(shown(doc, 0, 5), QStringLiteral("10"));

    // Tab goes on to the next editable column, along the row.
    key(Qt::Key_Up);
    key(Qt::Key_Tab);
    QCOMPARE(g->currentIndex(), g->model()->index(0, 8));
    for (const QString& t : {QStringLiteral("я"), QStringLiteral("ящ")}) {
        type(t.back());
        QCOMPARE(r0.vidup, t);
    }
    // Tab in the editor commits and edits the next editable column.
    key(Qt::Key_Tab);
    QCOMPARE(g->currentIndex(), g->model()->index(0, 9));
    type('4');
    QCOMPARE(r0.klv1m, 4.0);
    QCOMPARE(r0.klvm, 2.5);
    key(Qt::Key_Tab);
    QCOMPARE(g->currentIndex(), g->model()->index(0, 11));
    type('-'); // not a number yet: nothing changes
    QCOMPARE(r0.brutto, 0.0);
    type('7');
    QCOMPARE(r0.brutto, 7.0);
    // Esc closes the editor and leaves what was stored.
    key(Qt::Key_Escape);
    QVERIFY(!g->editor());
    QVERIFY(doc->isVisible());
    QCOMPARE(r0.brutto, 7.0);
    QCOMPARE(shown(doc, 0, 11), QStringLiteral("7"));
    // A second Esc does not close the window with what was entered.
    key(Qt::Key_Escape);
    QVERIFY(doc->isVisible());

    // F2 edits the stored value; a letter leaves the record as it was.
    g->setCurrentIndex(g->model()->index(0, 5));
    key(Qt::Key_F2);
    QCOMPARE(g->editor()->text(), QStringLiteral("10"));
    type('x');
    QCOMPARE(g->editor()->text(), QStringLiteral("x"));
    QCOMPARE(r0.factQuant, 10.0);
    key(Qt::Key_Backspace);
    type('3');
    QCOMPARE(r0.factQuant, 3.0);
    QCOMPARE(r0.factSumma, 37.5);
    QCOMPARE(r0.klvm, 0.75);
    key(Qt::Key_Enter);
    QCOMPARE(g->currentIndex(), g->model()->index(1, 5));

    // Enter on a cell that cannot be edited does not edit, nor does typing.
    g->setCurrentIndex(g->model()->index(0, 3));
    key(Qt::Key_Return);
    type('5');
    QVERIFY(!g->editor());
    QCOMPARE(r0.quant, 10.0);
    QCOMPARE(shown(doc, 0, 3), QStringLiteral("10"));
    // Enter never reaches the window's buttons.
    QVERIFY(doc->isVisible());
    doc->Button1->click();
    QVERIFY(!doc->isVisible());
}

void TestDoc::layoutAndHeader() {
    TDoc* doc = openDoc();
    QVERIFY(QTest::qWaitForWindowExposed(doc));
    QCOMPARE(doc->windowTitle(), QStringLiteral("Накладные"));
    QCOMPARE(doc->minimumSize(), QSize(790, 200));
    QCOMPARE(doc->DateTimePicker1->date(), QDate::currentDate());
    QVERIFY(!doc->ComboBox1->isEditable());
    QVERIFY(doc->cbNaklChoose->isEditable());
    QCOMPARE(doc->cbNaklChoose->count(), 3);
    QCOMPARE(doc->cbNaklChoose->itemText(1), QStringLiteral("Товарно-транспортная накладная"));
    QCOMPARE(doc->cbNaklChoose->currentIndex(), 0);
    QStringList titles;
    QList<int> widths;
    for (int c = 0; c < 15; ++c) {
        titles << doc->DrawGrid1->model()->headerData(c, Qt::Horizontal).toString();
        widths << doc->DrawGrid1->columnWidth(c);
    }
    QCOMPARE(titles.first(), QStringLiteral("Мат. средство"));
    QCOMPARE(titles.last(), QStringLiteral("Примечание"));
    QCOMPARE(widths, (QList<int>{444, 61, 59, 110, 69, 102, 98, 90, 77, 120, 74, 83, 92, 74, 185}));
    QCOMPARE(shown(doc, 0, 12), QStringLiteral("01.03.2026"));
    // "Закрыть" keeps to the right edge.
    doc->resize(900, 300);
    QCoreApplication::processEvents();
    const QRect close(doc->Button1->mapTo(doc, QPoint(0, 0)), doc->Button1->size());
    QCOMPARE(doc->width() - close.right() - 1, 11);
    QCOMPARE(doc->height() - close.bottom() - 1, 2);

    // The document number: no Cyrillic letters, at most 10 characters.
    doc->Edit1->setFocus();
    for (QChar ch : QStringLiteral("AБ-1/жЁ2ё x9zk"))
        type(ch);
    QCOMPARE(doc->Edit1->text(), QStringLiteral("A-1/2 x9zk"));
    type('Q');
    QCOMPARE(doc->Edit1->text(), QStringLiteral("A-1/2 x9zk"));
    // Pasted text goes through the same filter and limit.
    doc->Edit1->clear();
    QApplication::clipboard()->setText(QStringLiteral("Ж-12/ёx345678901"));
    doc->Edit1->paste();
    QCOMPARE(doc->Edit1->text(), QStringLiteral("-12/x34567"));
    // Enter in the field presses no button.
    key(Qt::Key_Return);
    QVERIFY(doc->isVisible());
}

void TestDoc::recipientChangeDiscardsEntries() {
    TDoc* doc = openDoc();
    QCOMPARE(doc->ComboBox1->currentText(), QStringLiteral("А"));
    doc->DrawGrid1SetEditText(5, 0, QStringLiteral("4"));
    QCOMPARE(ContDataList[0].factQuant, 4.0);
    doc->ComboBox1->setCurrentIndex(1);
    emit doc->ComboBox1->activated(1);
    QCOMPARE(ContDataList.size(), 1);
    QCOMPARE(ContDataList[0].elem, 3);
    // Row 1 beyond the records: blank, and typing there changes nothing.
    doc->DrawGrid1SetEditText(5, 1, QStringLiteral("4"));
    QCOMPARE(doc->DrawGrid1->model()->rowCount(), 1);
    doc->ComboBox1->setCurrentIndex(0);
    emit doc->ComboBox1->activated(0);
    QCOMPARE(ContDataList.size(), 2);
    QCOMPARE(ContDataList[0].factQuant, 0.0);
    QCOMPARE(shown(doc, 0, 5), QStringLiteral("0"));
}

void TestDoc::notAnIntegerVatRate() {
    {
        DbConnection c(m_db->path());
        c.dbTarvik.open();
        c.beginWrite();
        Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::Nds, {QStringLiteral("x"), {}});
        c.trTarvik.commit();
    }
    QStringList texts;
    ModalAnswerer answer([&](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            texts << box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    TDoc* doc = openDoc();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].startsWith(QStringLiteral("Ставка НДС в настройках (\"x\")")),
             qPrintable(texts[0]));
    QVERIFY(doc->isVisible());
    QCOMPARE(doc->values().nds, 0);
}

void TestDoc::iconOnlyInAWideColumn() {
    TDoc* doc = openDoc();
    QVERIFY(QTest::qWaitForWindowExposed(doc));
    QVERIFY(cellHasIcon(doc, 0, 6));
    doc->DrawGrid1->setColumnWidth(6, 23);
    QVERIFY(cellHasIcon(doc, 0, 6));
    doc->DrawGrid1->setColumnWidth(6, 22);
    QVERIFY(!cellHasIcon(doc, 0, 6));
    // The blank row of a recipient without lines has none.
    doc->DrawGrid1->setColumnWidth(6, 98);
    doc->ComboBox1->addItem(QStringLiteral("Без строк"), 99);
    doc->ComboBox1->setCurrentIndex(2);
    emit doc->ComboBox1->activated(2);
    QCOMPARE(ContDataList.size(), 0);
    QCOMPARE(doc->DrawGrid1->model()->rowCount(), 1);
    QVERIFY(!cellHasIcon(doc, 0, 6));
    QCOMPARE(shown(doc, 0, 5), QString());
}

void TestDoc::serialRowsFromTheGrid() {
    TDoc* doc = openDoc();
    QVERIFY(QTest::qWaitForWindowActive(doc));
    ContDataList[0].factQuant = 2.7;
    TfrmSerialNum* dlg = forms().frmSerialNum;
    int rows = -1;
    QString firstNumber;
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (w != dlg)
                return;
            rows = dlg->StringGrid1->model()->rowCount();
            firstNumber = dlg->cell(0, 0);
            dlg->Button2->click();
        });
        // Enter on column 6 opens the dialog, as a double click does.
        doc->DrawGrid1->setCurrentIndex(doc->DrawGrid1->model()->index(0, 6));
        key(Qt::Key_Return);
    }
    QCOMPARE(rows, 2);
    QCOMPARE(firstNumber, QStringLiteral("1"));
    QCOMPARE(dlg->SerialRowIndex, 0);

    // Below 1: one empty row; "ОК" stores nothing.
    ContDataList[1].factQuant = 0.5;
    ContDataList[1].serials = QStringLiteral("old;");
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (w != dlg)
                return;
            rows = dlg->StringGrid1->model()->rowCount();
            firstNumber = dlg->cell(0, 0);
            dlg->Button1->click();
        });
        doc->DrawGrid1->setCurrentIndex(doc->DrawGrid1->model()->index(1, 6));
        doc->DrawGrid1DblClick();
    }
    QCOMPARE(rows, 1);
    QCOMPARE(firstNumber, QString());
    QCOMPARE(ContDataList[1].serials, QStringLiteral("old;"));
}

void TestDoc::serialEmptyRowsAskFirst() {
    openDoc();
    ContDataList[0].factQuant = 3;
    TfrmSerialNum* dlg = forms().frmSerialNum;
    TdlgInpFin* confirm = forms().dlgInpFin;
    dlg->SerialCount = 3;
    dlg->SerialRowIndex = 0;
    dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    // Rows 1 and 3, typed; ";" and Cyrillic letters are refused.
    for (QChar ch : QStringLiteral("a;б"))
        type(ch);
    key(Qt::Key_Return);
    key(Qt::Key_Down);
    type('c');
    key(Qt::Key_Return);
    QCOMPARE(dlg->cell(1, 0), QStringLiteral("a"));
    QCOMPARE(dlg->cell(1, 2), QStringLiteral("c"));

    // "Да", then the close box: the dialog stays as it was.
    QStringList memo;
    for (const bool yes : {true, false}) {
        ModalAnswerer answer([&](QWidget* w) {
            if (w != confirm)
                return;
            memo << confirm->Memo1->toPlainText();
            if (yes)
                confirm->OKBtn->click();
            else
                confirm->close();
        });
        dlg->Button1->click();
    }
    QCOMPARE(memo, (QStringList{"(2) ", "(2) "}));
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->cell(1, 0), QStringLiteral("a"));
    QVERIFY(ContDataList[0].serials.isEmpty());

    // "Нет" stores what was entered.
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (w == confirm)
                confirm->CancelBtn->click();
        });
        dlg->Button1->click();
    }
    QVERIFY(!dlg->isVisible());
    QCOMPARE(ContDataList[0].serials, QStringLiteral("a;c;"));
    // The next opening shows them in rows 1 and 2.
    dlg->show();
    QCOMPARE(dlg->cell(1, 0), QStringLiteral("a"));
    QCOMPARE(dlg->cell(1, 1), QStringLiteral("c"));
    QCOMPARE(dlg->cell(1, 2), QString());
    QCOMPARE(dlg->cell(0, 2), QStringLiteral("3"));
    dlg->Button2->click();
}

void TestDoc::serialCutAtTwentyCharacters() {
    openDoc();
    ContDataList[0].factQuant = 2;
    TfrmSerialNum* dlg = forms().frmSerialNum;
    dlg->SerialCount = 2;
    dlg->SerialRowIndex = 0;
    dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    const QString twenty = QStringLiteral("ABCDEFGHIJ0123456789");
    for (QChar ch : twenty)
        type(ch);
    QVERIFY(!dlg->SerialTooLong);
    type('X'); // the 21st
    QCOMPARE(dlg->cell(1, 0), twenty);
    QVERIFY(dlg->SerialTooLong);
    auto* editor = dlg->StringGrid1->editor();
    QVERIFY(editor);
    QCOMPARE(editor->text(), twenty);
    // Every further character is refused, here and in other cells, Backspace included.
    type('Y');
    key(Qt::Key_Backspace, QStringLiteral("\b"));
    QCOMPARE(editor->text(), twenty);
    key(Qt::Key_Return);
    type('Z');
    QVERIFY(!dlg->StringGrid1->editor());
    QCOMPARE(dlg->cell(1, 1), QString());
    // A shortening edit (Delete) clears the refusal.
    dlg->StringGrid1->setCurrentIndex(dlg->StringGrid1->model()->index(0, 1));
    key(Qt::Key_F2);
    key(Qt::Key_Home);
    key(Qt::Key_Delete);
    QCOMPARE(dlg->cell(1, 0), twenty.mid(1));
    QVERIFY(!dlg->SerialTooLong);
    type('Q');
    QCOMPARE(dlg->cell(1, 0), QStringLiteral("Q") + twenty.mid(1));
    // Showing the dialog again clears the flag too.
    type('W');
    QVERIFY(dlg->SerialTooLong);
    dlg->Button2->click();
    dlg->show();
    QVERIFY(!dlg->SerialTooLong);
    dlg->Button2->click();
}

void TestDoc::serialLoweredQuantityAndCancel() {
    openDoc();
    ContDataList[0].serials = QStringLiteral("1;2;3;4;5;");
    TfrmSerialNum* dlg = forms().frmSerialNum;
    dlg->SerialCount = 3;
    dlg->SerialRowIndex = 0;
    dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    QCOMPARE(dlg->StringGrid1->model()->rowCount(), 3);
    // "Отмена" after editing: nothing changes.
    type('9');
    QCOMPARE(dlg->cell(1, 0), QStringLiteral("9"));
    dlg->Button2->click();
    QCOMPARE(ContDataList[0].serials, QStringLiteral("1;2;3;4;5;"));
    // "ОК" keeps the three shown.
    dlg->show();
    QCOMPARE(dlg->cell(1, 0), QStringLiteral("1"));
    dlg->Button1->click();
    QVERIFY(!dlg->isVisible());
    QCOMPARE(ContDataList[0].serials, QStringLiteral("1;2;3;"));
}

QTEST_MAIN(TestDoc)
#include "tst_doc.moc"
