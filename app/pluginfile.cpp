#include "app/pluginfile.h"

#include "services/fileroutines.h"

bool SavePluginResult(const QString& source, const TFileStamp& stamp, const QString& target, const std::string& text,
                      IReport* report) {
    if (!FileMatchesStamp(source, stamp)) {
        // Like the plug-ins' other lines, not translated.
        if (report)
            report->AddLine(source + QStringLiteral(": changed by another program since it was read; not saved"));
        return false;
    }
    return SaveStringToFile(target, text);
}
