#include "cli/contractargs.h"

#include "core/apperror.h"
#include "core/catalogue.h"

namespace Cli {

void selectContract(DbConnection& c, int number) {
    Catalogue::openRegister(c);
    for (c.qMain.first(); !c.qMain.eof(); c.qMain.next())
        if (c.qMain.fieldByName(QStringLiteral("number")).asInteger() == number)
            return;
    throw AppError(QStringLiteral("Контракт %1 не найден").arg(number));
}

void checkRecipient(DbConnection& c, int recip) {
    const int number = c.qMain.fieldByName(QStringLiteral("number")).asInteger();
    for (const Catalogue::Recipient& r : Catalogue::recipients(c.qTarvik, number))
        if (r.recip == recip)
            return;
    throw AppError(QStringLiteral("У контракта %1 нет получателя %2").arg(number).arg(recip));
}

} // namespace Cli
