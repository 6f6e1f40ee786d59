// tarvik decode FILE...: reads a printed waybill or label back from PDFs or scans.
#include "cli/clitool.h"
#include "cli/commands.h"
#include "core/apperror.h"
#include "core/symbolreading.h"
#include "core/symbolscan.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <poppler-qt6.h>

namespace Cli {

namespace {

constexpr double kDpi = 300;

// The pages of a file as images: a PDF's pages rendered, or the picture itself.
QList<QImage> pagesOf(const QString& file) {
    if (!QFileInfo::exists(file))
        throw AppError(QStringLiteral("Файл %1 не существует").arg(file));
    if (file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        const std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(file);
        if (!doc || doc->isLocked())
            throw AppError(QStringLiteral("Файл %1 не открывается как PDF").arg(file));
        doc->setRenderHint(Poppler::Document::Antialiasing, true);
        QList<QImage> pages;
        for (int i = 0; i < doc->numPages(); ++i) {
            const std::unique_ptr<Poppler::Page> page = doc->page(i);
            if (page)
                pages << page->renderToImage(kDpi, kDpi);
        }
        return pages;
    }
    const QImage image(file);
    if (image.isNull())
        throw AppError(
            QStringLiteral("Файл %1 не читается как изображение PNG или JPEG").arg(file));
    return {image};
}

QJsonObject waybillJson(const Reading::WaybillData& d) {
    QJsonArray items;
    for (const Reading::WaybillItem& i : d.items)
        items.append(QJsonObject{{"elemC", i.elemC},
                                 {"kat", i.kat},
                                 {"quantity", i.quantity},
                                 {"sum", i.sum},
                                 {"serials", QJsonArray::fromStringList(i.serials)}});
    return {{"kind", "waybill"}, {"contract", d.rem},     {"number", d.number},
            {"date", d.date},    {"recipient", d.recipC}, {"items", items}};
}

void printWaybill(const Reading::WaybillData& d) {
    out() << QStringLiteral("Контракт:\t%1\nДокумент:\t%2 от %3\nПолучатель:\t%4\n")
                 .arg(cell(d.rem), cell(d.number), d.date, cell(d.recipC));
    out() << QStringLiteral("Код\tКатегория\tКоличество\tСумма\tСерийные номера\n");
    for (const Reading::WaybillItem& i : d.items)
        out() << cell(i.elemC) << '\t' << cell(i.kat) << '\t' << i.quantity << '\t' << i.sum << '\t'
              << cell(i.serials.join(QStringLiteral(", "))) << '\n';
}

} // namespace

int cmdDecode(const QStringList& args) {
    Args a("decode", QStringLiteral("Читает штрих-коды напечатанной накладной или этикетки из "
                                    "файлов PDF, PNG или JPEG."));
    a.parser().addOption({QStringLiteral("raw"), QStringLiteral("вывести собранный текст")});
    a.parser().addOption({QStringLiteral("json"), QStringLiteral("вывести поля в JSON")});
    a.addPositional(QStringLiteral("FILE"), QStringLiteral("файлы документа"));
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        if (a.positional().isEmpty())
            throw AppError(QStringLiteral("Укажите файлы: tarvik decode FILE..."));
        QStringList pdf417, code128;
        for (const QString& file : a.positional())
            for (const QImage& page : pagesOf(file))
                for (const Reading::FoundSymbol& s : Reading::scanImage(page))
                    (s.kind == Reading::FoundSymbol::Kind::Pdf417 ? pdf417 : code128) << s.text;
        const bool json = a.isSet(QStringLiteral("json"));
        if (pdf417.isEmpty() && !code128.isEmpty()) {
            QString why;
            const auto l = Reading::readLabelCodes(code128, &why);
            if (!l)
                throw AppError(why);
            if (json)
                out() << QJsonDocument(QJsonObject{{"kind", "label"},
                                                   {"contract", l->contract},
                                                   {"elemC", l->elemC},
                                                   {"quantity", l->quantity},
                                                   {"sum", l->sum}})
                             .toJson();
            else if (a.isSet(QStringLiteral("raw")))
                out() << code128.join(QLatin1Char('\n')) << '\n';
            else
                out() << QStringLiteral("Контракт:\t%1\nТовар:\t%2\nКоличество:\t%3\nСумма:\t%4\n")
                             .arg(cell(l->contract), cell(l->elemC))
                             .arg(l->quantity, 0, 'f', 5)
                             .arg(l->sum, 0, 'f', 5);
            return 0;
        }
        const Reading::Reassembled r = Reading::reassemble(pdf417);
        if (a.isSet(QStringLiteral("raw")))
            out() << r.payload << '\n';
        if (!r.complete())
            throw AppError(QStringLiteral("Документ прочитан не полностью: %1")
                               .arg(r.errors.join(QStringLiteral("; "))));
        QString why;
        const auto d = Reading::splitPayload(r.payload, &why);
        if (!d)
            throw AppError(why);
        if (json)
            out() << QJsonDocument(waybillJson(*d)).toJson();
        else if (!a.isSet(QStringLiteral("raw")))
            printWaybill(*d);
        return 0;
    });
}

} // namespace Cli
