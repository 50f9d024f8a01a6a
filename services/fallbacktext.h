#pragma once

#include <QString>

#include <functional>
#include <span>

// A message key with the English text shown until a language gives its own.
struct TFallbackText {
    const char* key;
    const char* text;
};

// The English text of `key` in `table`; empty when the table has none.
QString FallbackText(std::span<const TFallbackText> table, const QString& key);

// The text `source` gives for `key` when it gives one (and is set), else the
// English text of `key` in `table`.
QString TextOrFallback(const std::function<QString(const QString& key)>& source,
                       std::span<const TFallbackText> table, const QString& key);
