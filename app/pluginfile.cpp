#include "app/pluginfile.h"

#include "services/fileroutines.h"
#include "services/langmanager.h"

bool SavePluginResult(const QString& source, const TFileStamp& stamp, const QString& target, const std::string& text,
                      IReport* report) {
    // In the interface's language, like the plug-ins' other lines.
    const auto fails = [&](const QString& file, const char* why) {
        if (report)
            report->AddLine(file + QStringLiteral(": ") + LangText(QString::fromLatin1(why)));
        return false;
    };
    const auto changed = [&] { return fails(source, "changed by another program since it was read; not saved"); };
    const auto notSaved = [&] { return fails(target, "the changes were not saved"); };
    if (!FileMatchesStamp(source, stamp))
        return changed();
    if (target != source)
        return SaveStringToFile(target, text) || notSaved();
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
    return notSaved();
}
