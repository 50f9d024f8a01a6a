#include "engine/processengine.h"

void ConnectProcessWindow(TRERichEdit& engine, TProcessController& window) {
    engine.OnBeforeReplace = [&window](TRERichEdit&, bool& continueAction) { window.BeforeReplace(continueAction); };
    engine.OnAfterFound = [&window](TRERichEdit&) { window.AfterFound(); };
    engine.OnAfterLoadFile = [&window](const QString& fileName) { window.AfterLoadFile(fileName); };
}

std::vector<TProcessCodePages::Item> TConversionCodePages::Items() const {
    std::vector<Item> items{{QString::fromLatin1(CodePageNames[cpWin1251].data(),
                                                 static_cast<qsizetype>(CodePageNames[cpWin1251].size())),
                             NoConversion}};
    for (int row = 0; row < ConversionCount; ++row) {
        if (Conversions[row].Target != cpWin1251) continue;
        const std::string_view name = CodePageNames[Conversions[row].Source];
        items.push_back({QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())), row});
    }
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
