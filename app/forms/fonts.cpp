#include "forms/fonts.h"

#include <QFontMetricsF>
#include <QHash>
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
struct Entry {
    FontSpec font;
    std::unique_ptr<QFontMetricsF> metrics;
    // Widths already measured: a table repeats its texts on every sheet and every preparation,
    // and shaping is what text layout costs.
    QHash<QString, double> widths;
};

Entry& entry(const FontSpec& spec) {
    static std::vector<Entry> cache;
    static size_t last = 0;
    auto same = [&spec](const FontSpec& f) {
        return f.size == spec.size && f.bold == spec.bold && f.italic == spec.italic &&
               f.name == spec.name;
    };
    if (last < cache.size() && same(cache[last].font))
        return cache[last];
    for (size_t i = 0; i < cache.size(); ++i)
        if (same(cache[i].font)) {
            last = i;
            return cache[i];
        }
    cache.push_back({spec, std::make_unique<QFontMetricsF>(scaledFont(spec)), {}});
    last = cache.size() - 1;
    return cache.back();
}

constexpr int kMaxCachedWidths = 200000;
} // namespace

double textWidth(const FontSpec& font, const QString& text) {
    Entry& e = entry(font);
    const auto it = e.widths.constFind(text);
    if (it != e.widths.constEnd())
        return *it;
    if (e.widths.size() >= kMaxCachedWidths)
        e.widths.clear();
    const double w = e.metrics->horizontalAdvance(text) / kFontScale;
    e.widths.insert(text, w);
    return w;
}

double fontAscent(const FontSpec& font) {
    return entry(font).metrics->ascent() / kFontScale;
}

} // namespace Forms
