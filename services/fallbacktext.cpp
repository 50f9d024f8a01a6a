#include "services/fallbacktext.h"

#include <QLatin1String>

QString FallbackText(std::span<const TFallbackText> table, const QString& key) {
    for (const TFallbackText& entry : table)
        if (key == QLatin1String(entry.key))
            return QString::fromUtf8(entry.text);
    return {};
}

QString TextOrFallback(const std::function<QString(const QString& key)>& source,
                       std::span<const TFallbackText> table, const QString& key) {
    if (source) {
        QString text = source(key);
        if (!text.isEmpty())
            return text;
    }
    return FallbackText(table, key);
}
