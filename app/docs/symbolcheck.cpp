#include "docs/symbolcheck.h"

#include "core/apperror.h"
#include "core/symbolreading.h"
#include "core/symbolscan.h"
#include "forms/renderer.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace Docs {

int checkWaybillSymbols(const Forms::PreparedReport& report, const BarcodeText& expected,
                        const SymbolImageHook& hook) {
    struct Job {
        const Forms::Primitive* primitive;
        int sheet;
        QStringList texts;
    };
    std::vector<Job> jobs;
    for (std::size_t sheet = 0; sheet < report.sheets.size(); ++sheet)
        for (const Forms::Primitive& p : report.sheets[sheet].items)
            if (p.type == Forms::Primitive::Type::Pdf417)
                jobs.push_back({&p, int(sheet), {}});
    // Only the symbol's own rectangle is drawn, with a quiet zone round it. Drawing and reading
    // one symbol touches nothing another one does, so the work is shared among the cores.
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            QImage image = Forms::renderPrimitive(*jobs[i].primitive, kCheckDpi, 4);
            if (hook)
                hook(image, int(i));
            for (const Reading::FoundSymbol& s : Reading::readUprightPdf417(image))
                jobs[i].texts << s.text;
        }
    };
    const unsigned helpers = std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()),
                                                unsigned(jobs.size()));
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < helpers; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    QStringList read;
    for (const Job& j : jobs) {
        if (j.texts.size() != 1)
            throw AppError(QStringLiteral("Штрих-код PDF417 на листе %1 не читается: документ не "
                                          "показан, чтобы не отправить неверные данные")
                               .arg(j.sheet + 1));
        read << j.texts.first();
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

int checkLabelCodes(const Forms::PreparedReport& report, const QStringList& digits) {
    QStringList read;
    for (const Forms::Sheet& sheet : report.sheets)
        for (const Reading::FoundSymbol& s :
             Reading::scanImage(Forms::renderSheet(sheet, kCheckDpi)))
            if (s.kind == Reading::FoundSymbol::Kind::Code128)
                read << s.text;
    QStringList missing;
    for (const QString& d : digits) {
        const qsizetype at = read.indexOf(d);
        if (at < 0)
            missing << d;
        else
            read.removeAt(at);
    }
    if (!missing.isEmpty())
        throw AppError(QStringLiteral("Штрихкоды этикетки не читаются (%1): этикетка не "
                                      "показана, чтобы не напечатать неверные коды")
                           .arg(missing.join(QStringLiteral(", "))));
    return int(digits.size());
}

QString checkedNote(int count) {
    return QStringLiteral("Штрих-коды проверены: %1 из %1").arg(count);
}

} // namespace Docs
