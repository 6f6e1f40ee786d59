#include "forms/prepared.h"

#include "core/apperror.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

namespace Forms {

namespace {
const quint32 kMagic = 0x5452504Bu; // "TRPK"
const quint16 kVersion = 1;
const int kMaxSheets = 100000;
const int kMaxItems = 10000000;
} // namespace

QString Sheet::plainText() const {
    QStringList out;
    for (const Primitive& p : items)
        if (p.type == Primitive::Type::Text)
            out << p.text;
    return out.join(QLatin1Char('\n'));
}

void PreparedReport::save(const QString& file) const {
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        throw AppError(
            QStringLiteral("Не удалось записать файл %1: %2").arg(file, f.errorString()));
    QDataStream out(&f);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << kVersion << title << quint32(sheets.size());
    for (const Sheet& s : sheets) {
        out << s.sizeMm << s.sizeUnits << quint32(s.items.size());
        for (const Primitive& p : s.items) {
            out << quint8(p.type) << p.rect << p.origin << p.line << p.width << p.text
                << p.font.name << p.font.size << p.font.bold << p.font.italic << p.rows << p.pitch
                << p.module;
        }
    }
    if (out.status() != QDataStream::Ok || !f.commit())
        throw AppError(
            QStringLiteral("Не удалось записать файл %1: %2").arg(file, f.errorString()));
}

PreparedReport PreparedReport::load(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Не удалось открыть файл %1: %2").arg(file, f.errorString()));
    const auto bad = [&file]() {
        return AppError(
            QStringLiteral("Файл %1 не является подготовленным отчётом или повреждён").arg(file));
    };
    QDataStream in(&f);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0, count = 0;
    quint16 version = 0;
    PreparedReport r;
    in >> magic >> version;
    if (magic != kMagic || version != kVersion)
        throw bad();
    in >> r.title >> count;
    if (in.status() != QDataStream::Ok || count > quint32(kMaxSheets))
        throw bad();
    for (quint32 i = 0; i < count; ++i) {
        Sheet s;
        quint32 items = 0;
        in >> s.sizeMm >> s.sizeUnits >> items;
        if (in.status() != QDataStream::Ok || items > quint32(kMaxItems) ||
            s.sizeUnits.width() <= 0 || s.sizeUnits.height() <= 0 || s.sizeUnits.width() > 100000 ||
            s.sizeUnits.height() > 100000)
            throw bad();
        s.items.reserve(qMin<quint32>(items, 100000));
        for (quint32 k = 0; k < items; ++k) {
            Primitive p;
            quint8 type = 0;
            in >> type >> p.rect >> p.origin >> p.line >> p.width >> p.text >> p.font.name >>
                p.font.size >> p.font.bold >> p.font.italic >> p.rows >> p.pitch >> p.module;
            if (in.status() != QDataStream::Ok || type > quint8(Primitive::Type::Pdf417) ||
                !(p.font.size > 0 && p.font.size < 1000) || !(p.pitch > 0 && p.pitch < 1000) ||
                !(p.module > 0 && p.module < 1000))
                throw bad();
            p.type = Primitive::Type(type);
            s.items.push_back(std::move(p));
        }
        r.sheets.push_back(std::move(s));
    }
    if (!in.atEnd())
        throw bad();
    return r;
}

} // namespace Forms
