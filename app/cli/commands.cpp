#include "cli/commands.h"

namespace Cli {

const QList<Command>& commands() {
    static const QList<Command> list = {
        {"create-db", "create-db FILE: создать новую базу данных", cmdCreateDb, false},
        {"list", "list [--db FILE]: вывести реестр контрактов", cmdList, false},
        {"import", "import [--db FILE] CONTRACT.dat: загрузить файл контракта", cmdImport, false},
        {"recipients", "recipients [--db FILE] --contract N: вывести получателей контракта",
         cmdRecipients, false},
        {"items",
         "items [--db FILE] --contract N --recipient ID: вывести строки накладной для "
         "получателя",
         cmdItems, false},
        {"pdf417",
         "pdf417 [--ecc L] [--columns N] [--rows R] --out FILE.pdf|FILE.png TEXT...: "
         "напечатать символы PDF417 на листах штрих-кода",
         cmdPdf417, true},
        {"waybill",
         "waybill [--db FILE] --contract N --recipient ID --type torg12|1t|barcode --number TEXT "
         "[--date dd.MM.yyyy] [--ship ROW=QTY]... [--pack ROW=TEXT]... [--per-place ROW=QTY]... "
         "[--gross ROW=MASS]... [--serials \"ROW=S1;S2;...\"]... --out FILE.pdf|FILE.png|FILE.trp: "
         "напечатать накладную",
         cmdWaybill, true},
        {"decode", "decode [--raw|--json] FILE...: прочитать штрих-коды накладной или этикетки",
         cmdDecode, true},
        {"label",
         "label [--db FILE] --contract N --recipient ID --row R|all --per-package QTY|ROW=QTY "
         "--kind transport|consumer --out FILE.pdf|FILE.png: напечатать этикетку строки "
         "контракта",
         cmdLabel, true},
    };
    return list;
}

const Command* findCommand(const QString& name) {
    for (const Command& c : commands())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

QString usage() {
    QString text = QStringLiteral("Использование: tarvik [БАЗА_ДАННЫХ]\n"
                                  "               tarvik КОМАНДА [ПАРАМЕТРЫ]\n\nКоманды:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n").arg(QString::fromUtf8(c.summary));
    text += QStringLiteral("\n  --help     эта справка\n  --version  версия программы\n");
    return text;
}

} // namespace Cli
