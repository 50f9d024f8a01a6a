#include "app/htmltotext.h"

#include "app/plugintext.h"
#include "services/fileroutines.h"

const TPluginOption HtmlToTextOptions[HtmlToTextOptionCount] = {
    {"Preserve line breaks", ""},
    {"Don't use same filename to save", ""},
};

bool HtmlToTextProcess(TInfo info, const TPluginSelection& selection) {
    std::string text;
    if (!LoadFileToString(info.FileName, text))
        return false;
    text = HtmlToText(std::move(text), IsSelected(selection, HtmlPreserveBreaks));
    if (IsSelected(selection, HtmlSaveAsTxt))
        info.FileName += QStringLiteral(".txt");
    return SaveStringToFile(info.FileName, text);
}
