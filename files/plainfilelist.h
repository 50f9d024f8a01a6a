#pragma once

#include <QString>
#include <QStringList>

class TFileVTreeView;

// A plain file list (".lst"): one full file path per line, each line followed
// by CR LF, in UTF-8 (the host's file-name encoding) without byte-order mark.
struct PlainFileList {
    QStringList paths;       // the lines, relative ones taken against the list's folder
    int unreadable = 0;      // lines whose bytes are not valid UTF-8
    QString firstUnreadable; // the first of them, as far as it reads
};

// Reads the whole file: a leading byte-order mark is skipped, a line ends at
// CR LF, a lone CR or a lone LF, a NUL ends the text, a last line without a
// break counts and empty lines add nothing. Throws bw::Error naming the file
// when it cannot be read.
PlainFileList ReadPlainFileList(const QString& fileName);

// Writes the paths; a failed save leaves the old file whole and throws
// bw::Error naming the file.
void WritePlainFileList(const QString& fileName, const QStringList& paths);

// The structured list: the file is one file tree block. Saving goes through a
// temporary file like the plain list; loading replaces the tree's content
// only when the whole block reads. Both throw bw::Error.
void SaveStructuredFileList(const QString& fileName, const TFileVTreeView& tree);
void LoadStructuredFileList(const QString& fileName, TFileVTreeView& tree);
