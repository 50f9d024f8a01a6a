#include "app/project.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/conversionscheme.h"
#include "app/mainunit.h"
#include "files/filetree.h"
#include "options/optionscycle.h"
#include "services/fallbacktext.h"
#include "platform/diskpath.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/fs.h"
#include "platform/openfile.h"
#include "platform/prompt.h"
#include "rules/rulelistblock.h"
#include "rules/srheader.h"
#include "rules/srlist.h"

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

void TFunctionSection::SaveSection(QIODevice& stream) {
    if (Save)
        Save(stream);
}

void TFunctionSection::ClearSection() {
    if (Clear)
        Clear();
}

void TFunctionSection::LoadSection(QIODevice& stream) {
    if (Load)
        Load(stream);
}

void TFileTreeSection::SaveSection(QIODevice& stream) { tree_.SaveToStream(stream); }
void TFileTreeSection::ClearSection() { tree_.Clear(); }
void TFileTreeSection::LoadSection(QIODevice& stream) { tree_.LoadFromStream(stream); }

void TRuleListSection::SaveSection(QIODevice& stream) { SaveRuleListBlock(stream, header_, list_); }
void TRuleListSection::ClearSection() {
    header_.Clear();
    list_.Clear();
}
void TRuleListSection::LoadSection(QIODevice& stream) { LoadRuleListBlock(stream, header_, list_); }

void TSchemeSection::SaveSection(QIODevice& stream) { scheme_.SaveScheme(stream); }
void TSchemeSection::ClearSection() { scheme_.Clear(); }
void TSchemeSection::LoadSection(QIODevice& stream) { scheme_.LoadScheme(stream); }

void TOptionsSection::SaveSection(QIODevice& stream) { TOptionsCycle::SaveToStream(stream); }
void TOptionsSection::LoadSection(QIODevice& stream) { TOptionsCycle::LoadFromStream(stream); }

bool TProjectReadResult::Damaged() const {
    for (bool f : Failed)
        if (f)
            return true;
    return TrailingData;
}

void WriteProject(QIODevice& stream, const TProjectSections& sections) {
    for (TProjectSection* s : sections.Items)
        s->SaveSection(stream);
}

TProjectReadResult ReadProject(QIODevice& stream, const TProjectSections& sections) {
    TProjectReadResult result;
    for (int i = 0; i < TProjectSections::Count; ++i) {
        try {
            sections.Items[i]->ClearSection();
            sections.Items[i]->LoadSection(stream);
        } catch (const std::exception&) {
            result.Failed[i] = true;
        }
    }
    result.TrailingData = !stream.atEnd();
    return result;
}

QString CommandMessageText(const QString& key) {
    static constexpr TFallbackText table[] = {
        {"szOpenProject", "Open project"},
        {"szSaveProject", "Save project"},
        {"szCantReadFile", "The file \"%s\" cannot be read."},
        {"szCantWriteFile", "The file \"%s\" was not written; it is left as it was."},
        {"szReplaceFileQ", "The file \"%s\" exists. Replace it?"},
        {"szProjectDamaged",
         "Parts of the project \"%s\" could not be read; what could be read is loaded. The project is not saved "
         "automatically until you save it yourself."},
        {"szHelpNotFound", "The help file \"%s\" is not there."},
        {"szProjectFilter", "Brindlewick projects (*.bwp)"},
        {"szReportFilter", "Text Document (*.txt)"},
        {"szNoFileTree", "There is no file tree to save."},
        {"szNoRuleList", "There is no rule list to save."},
    };
    return FallbackText(table, key);
}

void SaveProjectFile(const QString& given, const TProjectSections& sections, const TextSource& texts) {
    // A relative name (from the settings) is below the current folder; one
    // starting with ':' would otherwise be taken for a Qt resource.
    const QString path = bw::diskPath(given);
    const QString failed = bw::format(
        TextOr(texts, QStringLiteral("szCantWriteFile"), CommandMessageText(QStringLiteral("szCantWriteFile"))),
        {native(path)});
    const QString folder = QFileInfo(path).absolutePath();
    if (!bw::forceDirectories(folder))
        throw bw::Error(failed);
    // The sections are written to memory first: many small writes cost less
    // there, and the file then takes the whole in one write.
    QByteArray bytes;
    try {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        WriteProject(buffer, sections);
    } catch (const std::exception& e) {
        throw bw::Error(failed + QLatin1Char('\n') + QString::fromUtf8(e.what()));
    }
    if (!bw::replaceFile(path, bytes))
        throw bw::Error(failed);
}

TProjectController::TProjectController(TProjectHost& host, TProjectSections sections, TextSource texts)
    : host_(host), sections_(sections), texts_(std::move(texts)) {}

QString TProjectController::text(const char* key) const {
    const QString k = QString::fromLatin1(key);
    return TextOr(texts_, k, CommandMessageText(k));
}

QString TProjectController::Filter() const { return text("szProjectFilter"); }

bool TProjectController::Damaged() const {
    return !damagedPath_.isEmpty() && damagedPath_ == host_.LastProject();
}

bool TProjectController::OpenProject(const QString& path) { return open(path, false); }

bool TProjectController::OpenLastProject(const QString& path) { return open(path, true); }

bool TProjectController::open(const QString& path, bool quiet) {
    host_.SetLastProject(path);
    QFile file;
    bw::OpenFailure why = bw::OpenFailure::None;
    if (!bw::openForReading(file, path, &why)) {
        // The title still names it: that is where Save project writes.
        host_.UpdateProjectName();
        const bool missing = why == bw::OpenFailure::Missing ||
                             (why == bw::OpenFailure::NotAFile && bw::directoryExists(path));
        if (missing || (quiet && why == bw::OpenFailure::NotAFile))
            return false;
        throw bw::Error(bw::format(text("szCantReadFile"), {native(path)}));
    }
    const TProjectReadResult result = ReadProject(file, sections_);
    file.close();
    damagedPath_ = result.Damaged() ? path : QString();
    host_.UpdateProjectName();
    if (result.Damaged())
        bw::prompt().error(text("szOpenProject"), bw::format(text("szProjectDamaged"), {native(path)}));
    return true;
}

void TProjectController::AOpenProjectExecute() {
    const QString path = host_.ChooseFile(false, text("szOpenProject"), host_.ProjectFolder(), Filter());
    if (!path.isEmpty())
        OpenProject(path);
}

void TProjectController::save(const QString& path) {
    SaveProjectFile(path, sections_, texts_);
    damagedPath_.clear();
    host_.UpdateProjectName();
}

TProjectController::TSaveResult TProjectController::ASaveProjectExecute() {
    const QString path = host_.LastProject();
    if (path == kNewProject)
        return ASaveProjectAsExecute();
    save(path);
    return TSaveResult::Saved;
}

TProjectController::TSaveResult TProjectController::ASaveProjectAsExecute() {
    const QString path = host_.ChooseFile(true, text("szSaveProject"), host_.ProjectFolder(), Filter());
    if (path.isEmpty())
        return TSaveResult::Cancelled;
    if (QFileInfo::exists(path) &&
        !bw::prompt().yesNo(text("szSaveProject"), bw::format(text("szReplaceFileQ"), {native(path)})))
        return TSaveResult::Cancelled;
    const QString previous = host_.LastProject();
    host_.SetLastProject(path);
    try {
        save(path);
    } catch (...) {
        host_.SetLastProject(previous);
        throw;
    }
    return TSaveResult::Saved;
}

void TProjectController::AAutoSaveExecute() {
    if (host_.AutoSaveProject() && !Damaged())
        ASaveProjectExecute();
    if (host_.AutoSaveOptions())
        host_.SaveOptions();
}
