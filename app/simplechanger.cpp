#include "app/simplechanger.h"

#include <QStringList>

#include "app/pluginfile.h"
#include "app/plugintext.h"
#include "services/filestamp.h"

const TPluginOption SimpleChangerOperations[SimpleChangerOptionCount] = {
    {"Replace Unix-like string delimiter with Windows-like one (#10 -> #13#10)", " #10 -> #13#10"},
    {"Replace Windows-like string delimiter with Unix-like one (#13#10 -> #10)", " #13#10 -> #10"},
    {"Trim left", " left trimed"},
    {"Trim right", " right trimed"},
    {"Replace several empty string with the one string", " all empty strings to the one string"},
    {"Remove empty lines", " all empty strings were removed"},
};

std::string ApplySimpleChangerOption(int index, std::string text) {
    switch (index) {
    case 0:
        return ConvertLineBreaks(std::move(text), false);
    case 1:
        return ConvertLineBreaks(std::move(text), true);
    case 2:
        return TrimLines(std::move(text), tmLeft);
    case 3:
        return TrimLines(std::move(text), tmRight);
    case 4:
        return SqueezeLineBreaks(std::move(text), 2);
    case 5:
        return SqueezeLineBreaks(std::move(text), 1);
    default:
        return text;
    }
}

bool SimpleChangerProcess(const TInfo& info, const TPluginSelection& selection) {
    std::string text;
    TFileStamp stamp;
    if (!LoadFileStamped(info.FileName, text, stamp))
        return false;
    QStringList done;
    for (int i = 0; i < SimpleChangerOptionCount; ++i) {
        if (!IsSelected(selection, i))
            continue;
        text = ApplySimpleChangerOption(i, std::move(text));
        done << OptionReportLine(info.FileName, SimpleChangerOperations[i]);
    }
    // What was done is reported only once it is in the file.
    if (!SavePluginResult(info.FileName, stamp, info.FileName, text, info.Report))
        return false;
    if (info.Report)
        for (const QString& line : done)
            info.Report->AddLine(line);
    return true;
}
