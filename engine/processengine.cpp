#include "engine/processengine.h"

#include "services/langmanager.h"

static_assert(TProcessCodePages::NoConversion == kNoConversion);

void ConnectProcessWindow(TRERichEdit& engine, TProcessController& window) {
    engine.OnBeforeReplace = [&window](TRERichEdit&, bool& continueAction) { window.BeforeReplace(continueAction); };
    engine.OnAfterFound = [&window](TRERichEdit&) { window.AfterFound(); };
    engine.OnAfterLoadFile = [&window](const QString& fileName) { window.AfterLoadFile(fileName); };
}

std::vector<TProcessCodePages::Item> TConversionCodePages::Items() const {
    std::vector<Item> items;
    for (const TSearchCodePage& page : SearchCodePages())
        items.push_back({LangText(page.Name), page.Row}); // "Automatic" in the interface's language
    return items;
}

int TConversionCodePages::DefaultItem() const {
    const std::vector<Item> items = Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].number != NoConversion && Conversions[items[i].number].Source == cpAutomatic)
            return static_cast<int>(i);
    return 0;
}

std::string TConversionCodePages::Convert(int number, const std::string& bytes, QString& log) {
    if (number == NoConversion || number < 0 || number >= ConversionCount) {
        log += ConversionCaption(cpWin1251, cpWin1251) + u',';
        return bytes;
    }
    TConversionContext ctx;
    ctx.DetectSampleSize = DetectSampleSize;
    std::string text = ConvertText(bytes, number, ctx);
    log += ctx.ConversionLog;
    return text;
}
