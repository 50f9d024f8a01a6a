#include "app/pluginfile.h"

#include "services/fileroutines.h"
#include "services/langmanager.h"

bool SavePluginResult(const QString& source, const TFileStamp& stamp, const QString& target, const std::string& text,
                      IReport* report) {
    // In the interface's language, like the plug-ins' other lines.
    const auto changed = [&] {
        if (report)
            report->AddLine(source + QStringLiteral(": ") +
                            LangText(QStringLiteral("changed by another program since it was read; not saved")));
        return false;
    };
    if (!FileMatchesStamp(source, stamp))
        return changed();
    if (target != source)
        return SaveStringToFile(target, text);
    // Written back over the file read, never through a link that took its place.
    TFileStamp read = stamp;
    switch (SaveStringToReadFile(target, read, text, true)) {
    case TReadFileSave::Saved:
        return true;
    case TReadFileSave::Changed:
        return changed();
    case TReadFileSave::NotSaved:
        break;
    }
    return false;
}
