#include "forms/code128.h"

namespace Code128 {

namespace {
// Bar and space widths of the symbol characters 0..105, then the stop pattern.
const char* const kPatterns[] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};
const int kStartC = 105;
const int kStop = 106;

void append(Symbol& s, int code) {
    for (const char* c = kPatterns[code]; *c; ++c)
        s.widths << (*c - '0');
}
} // namespace

bool isEncodable(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

Symbol encodeSetC(const QString& text) {
    QString digits = isEncodable(text) ? text : kPlaceholder;
    if (digits.size() % 2)
        digits.prepend(QLatin1Char('0'));
    Symbol s;
    s.digits = digits;
    append(s, kStartC);
    int check = kStartC;
    for (int i = 0; i < digits.size(); i += 2) {
        const int value = digits.mid(i, 2).toInt();
        append(s, value);
        check += value * (i / 2 + 1);
    }
    append(s, check % 103);
    append(s, kStop);
    return s;
}

int modules(const Symbol& symbol) {
    int n = 0;
    for (int w : symbol.widths)
        n += w;
    return n;
}

} // namespace Code128
