#pragma once

#include <QString>

class TLangManager;

// The file work of the backup browser: putting a copy back and sending items
// to the trash. Every question and error goes through bw::prompt() under the
// operation's caption; nothing is ever lost without a question.
class TSHFileOp {
public:
    explicit TSHFileOp(const TLangManager* langs = nullptr) : langs_(langs) {}

    // Titles of the questions, in the language loaded.
    QString RestoreCaption() const { return text("szRestoreCaption", kRestoreCaption); }
    QString DeleteCaption() const { return text("szDeleteCaption", kDeleteCaption); }
    static constexpr const char* kRestoreCaption = "Brindlewick - extracting backup";
    static constexpr const char* kDeleteCaption = "Brindlewick - delete";

    // Puts the regular file source at target: renamed when move (copied, then
    // removed, across file systems), else copied. A missing target folder is
    // created; an existing target is replaced only after a question, and goes
    // to the trash first; what the trash refuses is replaced only after a
    // second question that says why. False when nothing was done.
    bool CopyOrMove(const QString& source, const QString& target, bool move);

    // Sends a file or folder to the trash after the question given (the
    // default names the path). What the trash refuses is deleted for good
    // only after a second question that says why. False when the path is still there.
    bool Delete(const QString& path, const QString& question = QString());

private:
    QString text(const char* key, const char* fallback) const;
    // Whether to go on without the trash: "delete for good", with the trash's reason.
    QString forGoodQuestion(const QString& native, const QString& reason) const;
    bool fail(const QString& caption, const QString& message);

    const TLangManager* langs_;
};
