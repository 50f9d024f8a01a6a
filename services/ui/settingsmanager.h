#pragma once

#include <QList>
#include <QMargins>
#include <QObject>
#include <QRect>
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
// A window's bounds are its client rectangle ("Left", "Top", "Width",
// "Height"), stored and restored as the same geometry so that a window comes
// back where it was, whatever frame the window manager puts around it.
// Stored bounds are read into what screens can hold; a window placed by the
// program keeps its title bar on a screen (checked again once the window
// manager has framed it), and a window shown again comes back where it was
// hidden.
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

    // Where a window with the client rectangle stored goes: the same
    // rectangle while its title bar (margins: the frame around the client
    // area) lies on one of the available screen areas, else moved onto the
    // nearest of them. No areas leave it where it is.
    static QRect PlaceOnScreen(const QRect& stored, const QMargins& frame, const QList<QRect>& available);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Watches the window's showings: a window never shown has no position of
    // its own to store.
    void watchShowing(QWidget* form);
    static bool WasShown(const QWidget* form);

    void walk(const QString& section, const QString& prefix, bool isRoot, QObject* component, QObject* owner,
              bool saving);
    void saveKeys(const QString& section, const QString& path, QObject* component, int kind);
    void loadKeys(const QString& section, const QString& path, QObject* component, int kind);

    QString fileName_;
    std::unique_ptr<bw::IniFile> file_;
};
