#include "fonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <cmath>

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
    static QHash<QString, QFontMetricsF*> cache;
    const QString key = QStringLiteral("%1|%2|%3|%4")
                            .arg(spec.name)
                            .arg(spec.size)
                            .arg(int(spec.bold))
                            .arg(int(spec.italic));
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return **it;
    auto* m = new QFontMetricsF(scaledFont(spec));
    cache.insert(key, m);
    return *m;
}
} // namespace

double textWidth(const FontSpec& font, const QString& text) {
    return metrics(font).horizontalAdvance(text) / kFontScale;
}

double fontAscent(const FontSpec& font) {
    return metrics(font).ascent() / kFontScale;
}

} // namespace Forms
