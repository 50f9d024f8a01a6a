#include "app/pluginfile.h"

#include "services/fileroutines.h"
#include "services/langmanager.h"

bool SavePluginResult(const QString& source, const TFileStamp& stamp, const QString& target, const std::string& text,
                      IReport* report) {
    if (!FileMatchesStamp(source, stamp)) {
        // In the interface's language, like the plug-ins' other lines.
        if (report)
            report->AddLine(source + QStringLiteral(": ") +
                            LangText(QStringLiteral("changed by another program since it was read; not saved")));
        return false;
    }
    return SaveStringToFile(target, text);
}
