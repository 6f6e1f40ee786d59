// The label window on a real database under the offscreen platform: opened from the main
// window, column 5 typed into key by key, the warning before the preview, and the preview
// printed.
#include "core/dbconnection.h"
#include "gui/preview.h"
#include "gui/tarvikapp.h"
#include "gui/uMain.h"
#include "gui/uOutBar.h"
#include "labelfixture.h"
#include "modal.h"
#include "pdfwords.h"
#include "testdb.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest/QtTest>

class TestOutBar : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { destroyForms(); }
    void typeAndPrint();
};

namespace {

// The record of grid row `row` and what its cells show.
QString state(TOutBar* w, int row) {
    const TContData& d = ContDataList.at(row);
    auto* m = w->DrawGrid1->model();
    return QStringLiteral("%1 %2 | %3 %4")
        .arg(d.factQuant)
        .arg(d.factSumma)
        .arg(m->index(row, 5).data().toString(), m->index(row, 6).data().toString());
}

// The open cell editor (a closed one may linger until it is deleted, hidden).
QLineEdit* editor(TOutBar* w) {
    for (QLineEdit* e : w->DrawGrid1->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

} // namespace

void TestOutBar::typeAndPrint() {
    TestDb db;
    {
        DbConnection c(db.path());
        c.dbTarvik.open();
        using labelfixture::line;
        labelfixture::seedContract(c, QStringLiteral("0163200000326004117-0041"),
                                   QStringLiteral("ПР-0041/26"),
                                   {line(7, 1, QStringLiteral("9393110"), 10, 125),
                                    line(7, 2, QStringLiteral("9393120"), 4, 10),
                                    line(8, 1, QStringLiteral("9393110"), 6, 75)});
    }
    createForms(db.path());
    TMain* main = forms().Main;
    TOutBar* w = forms().OutBar;
    QTemporaryDir dir;
    const QString printed = dir.filePath("printed.pdf");

    QStringList log;      // what happened, in order
    QStringList expected; // what should have
    QStringList layout;
    auto seen = std::make_shared<ModalSeen>();
    ModalAnswerer answer([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            log << QStringLiteral("box %1: %2").arg(box->windowTitle(), box->text());
            box->button(QMessageBox::Ok)->click();
            return;
        }
        if (auto* preview = qobject_cast<Forms::PreviewDialog*>(modal)) {
            log << QStringLiteral("preview %1, %2 sheet(s)")
                       .arg(preview->windowTitle())
                       .arg(preview->report().sheets.size());
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            preview->printOn(printer);
            preview->reject();
            return;
        }
        if (modal != w) {
            log << QStringLiteral("unexpected %1").arg(modal->metaObject()->className());
            modal->close();
            return;
        }
        // The window as laid out.
        QHeaderView* header = w->DrawGrid1->horizontalHeader();
        auto* m = w->DrawGrid1->model();
        layout << QStringLiteral("%1 %2x%3 rows %4 cols %5")
                      .arg(w->windowTitle())
                      .arg(w->width())
                      .arg(w->height())
                      .arg(m->rowCount())
                      .arg(m->columnCount());
        for (int c = 0; c < m->columnCount(); ++c)
            layout << QStringLiteral("%1 %2 %3")
                          .arg(m->headerData(c, Qt::Horizontal).toString())
                          .arg(header->sectionSize(c))
                          .arg(m->index(0, c).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight
                                   ? "R"
                                   : "L");
        layout << w->ComboBox1->currentText() << QString::number(w->ComboBox1->count());

        // Key by key into column 5 of row 0 (quant 10, price 12.5).
        QTableView* grid = w->DrawGrid1;
        grid->setCurrentIndex(m->index(0, 5));
        QTest::keyClick(grid, Qt::Key_1); // a digit starts editing with that digit
        log << QStringLiteral("1: ") + state(w, 0);
        QLineEdit* ed = editor(w);
        if (!ed) {
            log << QStringLiteral("no editor");
            w->Button1->click();
            return;
        }
        const QList<QPair<QChar, QString>> keys = {{'2', "12"},  {'\b', "1"},   {',', "1,"},
                                                   {'5', "1,5"}, {'a', "1,5a"}, {'\b', "1,5"}};
        for (const auto& k : keys) {
            if (k.first == '\b')
                QTest::keyClick(ed, Qt::Key_Backspace);
            else
                QTest::keyClick(ed, k.first.toLatin1());
            log << QStringLiteral("%1: %2 [%3]").arg(k.second, state(w, 0), ed->text());
        }
        QTest::keyClick(ed, Qt::Key_Return); // commits and moves down
        QCoreApplication::processEvents();
        log << QStringLiteral("enter: row %1 col %2 editing %3 | %4")
                   .arg(grid->currentIndex().row())
                   .arg(grid->currentIndex().column())
                   .arg(editor(w) != nullptr)
                   .arg(state(w, 0));
        // F2 edits row 1 (quant 4, price 2.5); Esc leaves what was stored.
        QTest::keyClick(grid, Qt::Key_F2);
        ed = editor(w);
        log << QStringLiteral("F2: [%1]").arg(ed ? ed->text() : QStringLiteral("no editor"));
        if (ed) {
            QTest::keyClick(ed, Qt::Key_End);
            QTest::keyClick(ed, Qt::Key_Backspace);
            QTest::keyClick(ed, '-');
            QTest::keyClick(ed, '3');
            log << QStringLiteral("-3: ") + state(w, 1);
            QTest::keyClick(ed, Qt::Key_Escape);
            QCoreApplication::processEvents();
            log << QStringLiteral("esc: editing %1 | %2")
                       .arg(editor(w) != nullptr)
                       .arg(state(w, 1));
        }
        // The transport label of row 0.
        grid->setCurrentIndex(m->index(0, 0));
        w->Button2->click();
        // Another recipient: the rows are loaded again, every quantity 0.
        QTest::keyClick(w->ComboBox1, Qt::Key_Down);
        log << QStringLiteral("recipient %1: %2 row(s), %3")
                   .arg(w->ComboBox1->currentText())
                   .arg(ContDataList.size())
                   .arg(state(w, 0));
        QTest::keyClick(w->ComboBox1, Qt::Key_Up);
        log << QStringLiteral("back: %1; %2").arg(state(w, 0), state(w, 1));
        w->Button1->click();
    });
    main->ToolButton5->click();

    QCOMPARE(layout, (QStringList{"Печать этикеток 936x483 rows 2 cols 8", "Мат. средство 224 L",
                                  "Ед. изм. 59 L", "Категория 64 L", "Кол-во по контракту 115 R",
                                  "Цена 78 R", "Кол-во в единице упаковки (тары) 180 R",
                                  "Сумма 95 R", "Дата поставки 88 L", "Получатель 7", "2"}));
    expected << "1: 1 12.5 | 1 12,5"
             << "12: 10 125 | 10 125 [12]"
             << "1: 1 12.5 | 1 12,5 [1]"
             << "1,: 1 12.5 | 1 12,5 [1,]"
             << "1,5: 1.5 18.75 | 1,5 18,75 [1,5]"
             << "1,5a: 1.5 18.75 | 1,5 18,75 [1,5a]"
             << "1,5: 1.5 18.75 | 1,5 18,75 [1,5]"
             << "enter: row 1 col 5 editing 0 | 1.5 18.75 | 1,5 18,75"
             << "F2: [0]"
             << "-3: 3 7.5 | 3 7,5"
             << "esc: editing 0 | 3 7.5 | 3 7,5"
             << "box Тарвик: Штрихкод barContract: значение «ПР-0041/26» не является числом; "
                "вместо него напечатан код 12345678."
             << "preview Транспортная этикетка, 1 sheet(s)"
             << "recipient Получатель 8: 1 row(s), 0 0 | 0 0"
             << "back: 0 0 | 0 0; 0 0 | 0 0";
    QCOMPARE(log, expected);

    // The printed label carries the typed quantity and its sum, in words and in the codes.
    const QList<PdfWord> words = readPdfWords(printed);
    QStringList texts;
    for (const PdfWord& word : words)
        texts << word.text;
    for (const char* t : {"Отправитель:", "контракт", "Получатель:", "1,5", "шт", "12,5", "18,75",
                          "12345678", "0099393110", "2000000000150000", "3000000001875000"})
        QVERIFY2(texts.contains(QString::fromUtf8(t)),
                 qPrintable(QString::fromUtf8(t) + " in " + texts.join(" ")));
}

QTEST_MAIN(TestOutBar)
#include "tst_outbar.moc"
