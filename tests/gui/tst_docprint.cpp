// "Печать" of the waybill window on a real database under the offscreen platform: the preview
// opens on a checked document, a typed type prints nothing, and a symbol that cannot be made
// ends in the error box with no preview.
#include "core/catalogue.h"
#include "core/dbconnection.h"
#include "gui/preview.h"
#include "gui/tarvikapp.h"
#include "gui/uDmMain.h"
#include "gui/uDoc.h"
#include "gui/uMain.h"
#include "modal.h"
#include "testdb.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QtTest>

namespace {

void seed(const QString& path) {
    DbConnection c(path);
    c.dbTarvik.open();
    c.beginWrite();
    TContTitle title;
    title.docno = QStringLiteral("К-1");
    title.rem = QStringLiteral("Поставка");
    Catalogue::insertContract(c.qTarvik, title, QStringLiteral("/k.dat"));
    Catalogue::ContractLineInsert insert(c.qTarvik, *Catalogue::lastContractNumber(c.qTarvik));
    for (int elem = 1; elem <= 3; ++elem) {
        TContData d;
        d.elem = elem;
        d.recip = 7;
        d.recipS = QStringLiteral("А");
        d.elemS = QStringLiteral("Товар %1").arg(elem);
        d.elemC = QStringLiteral("33%1").arg(elem);
        d.unit = QStringLiteral("шт");
        d.quant = 10;
        d.summa = 125;
        insert.insert(d);
    }
    c.trTarvik.commit();
}

// What one press of "Печать" showed: the preview's status line, or an error box's text.
struct Shown {
    QString preview;
    QString error;
    int dialogs = 0;
};

Shown print(TDoc* doc) {
    Shown s;
    ModalAnswerer answer([&](QWidget* w) {
        ++s.dialogs;
        if (auto* p = qobject_cast<Forms::PreviewDialog*>(w)) {
            s.preview = p->statusText();
            p->reject();
        } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
            s.error = box->text();
            box->accept();
        } else if (auto* d = qobject_cast<QDialog*>(w)) {
            d->reject();
        }
    });
    doc->Button2->click();
    return s;
}

} // namespace

class TestDocPrint : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDb> m_db;
    TDoc* m_doc = nullptr;

private slots:
    void init() {
        m_db = std::make_unique<TestDb>();
        seed(m_db->path());
        createForms(m_db->path());
        m_doc = forms().Doc;
        TdmMain& dm = *forms().Main->dmMain;
        m_doc->setRecipients(Catalogue::recipients(dm.qTarvik, dm.selectedContract()));
        m_doc->LoadItems();
        m_doc->show();
        m_doc->FormShow();
        for (TContData& d : ContDataList)
            Waybill::setFactQuant(d, QStringLiteral("4"));
        m_doc->Edit1->setText(QStringLiteral("A-1"));
    }
    void cleanup() {
        destroyForms();
        m_db.reset();
        ClearRecordList(ContDataList);
    }

    void printsEachType_data() {
        QTest::addColumn<QString>("type");
        QTest::newRow("TORG-12") << QStringLiteral("Товарная накладная");
        QTest::newRow("1-T") << QStringLiteral("Товарно-транспортная накладная");
        QTest::newRow("barcode only") << QStringLiteral("Только штрих-код");
    }
    void printsEachType() {
        QFETCH(QString, type);
        m_doc->cbNaklChoose->setCurrentText(type);
        const Shown s = print(m_doc);
        QVERIFY2(s.error.isEmpty(), qPrintable(s.error));
        QVERIFY2(s.preview.contains(QStringLiteral("Штрих-коды проверены: 1 из 1")),
                 qPrintable(s.preview));
    }

    void typedTypePrintsNothing() {
        m_doc->cbNaklChoose->setEditText(QStringLiteral("Накладная"));
        const Shown s = print(m_doc);
        QCOMPARE(s.dialogs, 0);
    }

    // A document number the symbols cannot carry (no Windows-1251 code): the error box, and no
    // preview of a half-made document.
    void symbolFailureShowsTheError() {
        m_doc->Edit1->setText(QStringLiteral("Ω-1"));
        m_doc->cbNaklChoose->setCurrentIndex(0);
        const Shown s = print(m_doc);
        QVERIFY(s.preview.isEmpty());
        QVERIFY(!s.error.isEmpty());
        QCOMPARE(m_doc->printer().frTorg12().pageCount(), 2);
    }
};

QTEST_MAIN(TestDocPrint)
#include "tst_docprint.moc"
