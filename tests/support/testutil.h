#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

#include "platform/prompt.h"

namespace bw::test {

// A fixture with a fresh temporary folder per test and a scripted prompt
// installed for the test's length (answers queued with prompt.push()).
class TempDirTest : public ::testing::Test {
protected:
    TempDirTest();
    ~TempDirTest() override;

    // Full path of a name below the temporary folder.
    QString path(const QString& name) const;
    // Writes bytes to a file below the folder (folders created) and returns its path.
    QString writeFile(const QString& name, const std::string& bytes) const;
    // The file's bytes; an empty text when it cannot be read.
    static std::string readFile(const QString& fullPath);
    static bool exists(const QString& fullPath);
    // Names of the files (hidden ones too) in a folder, sorted.
    static QStringList filesIn(const QString& folder);
    // Sets a file's modification time from an ISO 8601 text and returns it.
    static QDateTime setModified(const QString& fullPath, const char* iso);

    QTemporaryDir dir_;
    ScriptedPrompt prompt;

private:
    ScopedPrompt scopedPrompt_{prompt};
};

// The folder the test executables run from (the build's bin folder), with a trailing separator.
QString binDir();

// Makes a folder the current one while it lives (for relative paths).
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    QString previous_;
};

} // namespace bw::test
