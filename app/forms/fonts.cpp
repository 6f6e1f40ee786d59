#include "forms/fonts.h"

#include <QFontMetricsF>
#include <cmath>
#include <memory>
#include <vector>

namespace Forms {

QString substituteFamily(const QString& name) {
    if (name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (name.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    if (name.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    return name;
}

int cellHeight(const FontSpec& font) {
    return int(std::lround(font.size * 96.0 / 72.0));
}

int linePitch(const FontSpec& font, int lineSpacing) {
    return cellHeight(font) + lineSpacing;
}

QFont scaledFont(const FontSpec& spec) {
    QFont f(substituteFamily(spec.name));
    f.setPixelSize(qMax(1, int(std::lround(spec.size * 96.0 / 72.0 * kFontScale))));
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

namespace {
const QFontMetricsF& metrics(const FontSpec& spec) {
    struct Entry {
        FontSpec font;
        std::unique_ptr<QFontMetricsF> metrics;
    };
    static std::vector<Entry> cache;
    static size_t last = 0;
    auto same = [&spec](const FontSpec& f) {
        return f.size == spec.size && f.bold == spec.bold && f.italic == spec.italic &&
               f.name == spec.name;
    };
    if (last < cache.size() && same(cache[last].font))
        return *cache[last].metrics;
    for (size_t i = 0; i < cache.size(); ++i)
        if (same(cache[i].font)) {
            last = i;
            return *cache[i].metrics;
        }
    cache.push_back({spec, std::make_unique<QFontMetricsF>(scaledFont(spec))});
    last = cache.size() - 1;
    return *cache.back().metrics;
}
} // namespace

double textWidth(const FontSpec& font, const QString& text) {
    return metrics(font).horizontalAdvance(text) / kFontScale;
}

double fontAscent(const FontSpec& font) {
    return metrics(font).ascent() / kFontScale;
}

} // namespace Forms
