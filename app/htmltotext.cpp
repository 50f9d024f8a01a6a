#include "app/htmltotext.h"

#include "app/pluginfile.h"
#include "app/plugintext.h"
#include "services/filestamp.h"

const TPluginOption HtmlToTextOptions[HtmlToTextOptionCount] = {
    {"Preserve line breaks", ""},
    {"Don't use same filename to save", ""},
};

bool HtmlToTextProcess(TInfo info, const TPluginSelection& selection) {
    std::string text;
    TFileStamp stamp;
    if (!LoadFileStamped(info.FileName, text, stamp))
        return false;
    text = HtmlToText(std::move(text), IsSelected(selection, HtmlPreserveBreaks));
    const QString page = info.FileName;
    if (IsSelected(selection, HtmlSaveAsTxt))
        info.FileName += QStringLiteral(".txt");
    return SavePluginResult(page, stamp, info.FileName, text, info.Report);
}
