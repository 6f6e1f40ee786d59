#include "docs/symbolcheck.h"

#include "core/apperror.h"
#include "core/symbolreading.h"
#include "core/symbolscan.h"
#include "forms/renderer.h"

namespace Docs {

int checkWaybillSymbols(const Forms::PreparedReport& report, const BarcodeText& expected,
                        const SymbolImageHook& hook) {
    QStringList read;
    int symbol = 0;
    for (std::size_t sheet = 0; sheet < report.sheets.size(); ++sheet) {
        for (const Forms::Primitive& p : report.sheets[sheet].items) {
            if (p.type != Forms::Primitive::Type::Pdf417)
                continue;
            // Only the symbol's own rectangle is drawn, with a quiet zone round it.
            QImage image = Forms::renderPrimitive(p, kCheckDpi, 6);
            if (hook)
                hook(image, symbol);
            ++symbol;
            QStringList texts;
            for (const Reading::FoundSymbol& s : Reading::readUprightPdf417(image))
                texts << s.text;
            if (texts.size() != 1)
                throw AppError(
                    QStringLiteral("Штрих-код PDF417 на листе %1 не читается: документ не "
                                   "показан, чтобы не отправить неверные данные")
                        .arg(sheet + 1));
            read << texts.first();
        }
    }
    const Reading::Reassembled r = Reading::reassemble(read);
    if (!r.complete())
        throw AppError(QStringLiteral("Штрих-коды документа не сходятся: %1")
                           .arg(r.errors.join(QStringLiteral("; "))));
    if (r.payload != expected.BarcodePayload)
        throw AppError(
            QStringLiteral("Штрих-коды документа прочитаны, но их текст отличается от данных "
                           "накладной"));
    return int(read.size());
}

QString checkedNote(int count) {
    return QStringLiteral("Штрих-коды проверены: %1 из %1").arg(count);
}

} // namespace Docs
