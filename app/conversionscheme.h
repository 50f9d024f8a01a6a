#pragma once

#include <QString>
#include <QVector>

#include "app/report.h"

class QIODevice;

// A conversion scheme: an ordered list of steps, each a row of the
// code-page conversion table, run in list order over a file's whole text.
// The conversion page shows it; the run's conversion pass uses ConvertFile.
class TConversionScheme {
public:
    int Count() const { return int(steps_.size()); }
    bool IsEmpty() const { return steps_.isEmpty(); }
    const QVector<int>& Steps() const { return steps_; }
    // Caption of step i: source name, " -> ", target name.
    QString Caption(int i) const;

    // Selected step, -1 for none.
    int Selected() const { return selected_; }
    void SetSelected(int i) { selected_ = (i >= 0 && i < Count()) ? i : -1; }

    // Appends a step for a conversion row and selects it. A row outside the
    // table is refused (false).
    bool AddStep(int row);
    // Removes the selected step and selects the one now in its place, or the
    // last one when it was the last; with nothing selected nothing goes.
    void RemoveSelected();
    void Clear();

    // The project block: one length-prefixed string with the row indexes
    // joined by ",". Loading appends to the steps already there; a row
    // outside the table is skipped; an item that is not a number raises
    // bw::Error after the steps before it were added.
    void SaveScheme(QIODevice& stream) const;
    void LoadScheme(QIODevice& stream);

    // Sends the file's text through every step, saves it and appends one
    // report line. False when the file could not be read or converted, the
    // converted text could not be held exactly, another program changed the
    // file after it was read, or the save was given up;
    // each of those but the unreadable file leaves a report line and the
    // file as it was.
    bool ConvertFile(const QString& fileName, TReport& report, const TextSource& texts) const;

private:
    QVector<int> steps_;
    int selected_ = -1;
};
