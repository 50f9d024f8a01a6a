#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/inifile.h"

class QWidget;
class TCheckListBox;

// Tag of a check list whose items are fixed by the program (stored checks
// never add one).
inline constexpr int kFixedItemsTag = 2;

// Saves and restores the visible state of whole windows in one INI file by
// walking each window's components; a component's kind (and for edits, labels
// and check lists its tag) decides what is stored. One section per window,
// named after the window; keys are "." paths through frames plus a suffix per
// kind. Components without a name have no key of their own and are skipped.
class TSettingsManager : public QObject {
    Q_OBJECT
public:
    explicit TSettingsManager(QObject* parent = nullptr);
    ~TSettingsManager() override;

    QString FileName() const { return fileName_; }
    // A different name (compared with case) flushes and closes the open file,
    // then opens the new one; the same name does nothing.
    void SetFileName(const QString& fileName);

    // Not consulted by the store itself; callers decide when to save.
    bool AutoSave = true;

    // The open settings file, nullptr until a name is set.
    bw::IniFile* OptionsFile() const { return file_.get(); }

    // Flushes and closes the open file.
    void CloseOptionsFile();
    // Lets go of the open file without writing it: the name stays, later
    // flushes and saves write nothing to disk.
    void ReleaseOptionsFile();

    void SaveForm(QWidget* form);
    void LoadForm(QWidget* form);
    void SaveComponent(const QString& section, const QString& prefix, bool isRoot, QObject* component,
                       QObject* owner);
    void LoadComponent(const QString& section, const QString& prefix, bool isRoot, QObject* component,
                       QObject* owner);

    // Clears list, fills it with the texts of the checked items in item order
    // and returns its comma text.
    static QString CheckedItemsToCommaText(QStringList& list, const TCheckListBox* box);
    // Unchecks every item, then checks the item of each text of list (compared
    // without regard to case), adding it as a last item when there is none;
    // a check list tagged kFixedItemsTag keeps its items and ignores such a text.
    static void CommaTextToCheckedItems(const QStringList& list, TCheckListBox* box);

private:
    void walk(const QString& section, const QString& prefix, bool isRoot, QObject* component, QObject* owner,
              bool saving);
    void saveKeys(const QString& section, const QString& path, QObject* component, int kind);
    void loadKeys(const QString& section, const QString& path, QObject* component, int kind);

    QString fileName_;
    std::unique_ptr<bw::IniFile> file_;
};
