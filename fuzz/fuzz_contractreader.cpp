// Fuzz target for the contract reader: any input either parses into consistent results or
// raises the one read error; nothing else may escape, crash or hang.
#include "core/apperror.h"
#include "core/contractreader.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void parseWith(const QByteArray& bytes, const Regional& regional) {
    try {
        const ContractContent c = ParseContract(bytes, regional);
        for (const TContData& d : c.items) {
            // Item lines take goods from the directory; a share names a known recipient.
            check(d.elem != 0);
            if (d.recip == 0)
                check(d.recipS.isEmpty() && d.quant == 0 && d.summa == 0 && d.data == kZeroDate);
            check(d.data.isValid());
        }
        check(c.title.data.isValid() && c.title.dataend.isValid());
    } catch (const AppError& e) {
        check(e.message().startsWith(kContractReadError + QLatin1Char('\n')));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    parseWith(bytes, Regional::current());
    Regional us;
    us.shortDateFormat = QStringLiteral("MM/dd/yyyy");
    us.dateSeparator = QLatin1Char('/');
    parseWith(bytes, us);

    const QString text = QString::fromLatin1(bytes);
    const QStringList fields = SplitFields(text);
    check(fields.size() == text.count(QLatin1Char('#')));
    check(ConvertKoi8(bytes).size() == bytes.size());
    return 0;
}
