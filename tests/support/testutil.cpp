#include "tests/support/testutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bw::test {

TempDirTest::TempDirTest() {
    EXPECT_TRUE(dir_.isValid());
    qputenv("BRINDLEWICK_HOME", dir_.path().toLocal8Bit());
}

TempDirTest::~TempDirTest() { qunsetenv("BRINDLEWICK_HOME"); }

// Joined as text: QTemporaryDir::filePath would take a name starting with ':'
// for a resource and return it alone.
QString TempDirTest::path(const QString& name) const {
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return name.isEmpty() ? dir_.path() : name;
    return dir_.path() + QLatin1Char('/') + name;
}

QString TempDirTest::writeFile(const QString& name, const std::string& bytes) const {
    const QString full = path(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << full.toStdString();
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return full;
}

std::string TempDirTest::readFile(const QString& fullPath) {
    QFile f(fullPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

bool TempDirTest::exists(const QString& fullPath) { return QFileInfo::exists(fullPath); }

QStringList TempDirTest::filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QDateTime TempDirTest::setModified(const QString& fullPath, const char* iso) {
    const QDateTime t = QDateTime::fromString(QLatin1String(iso), Qt::ISODate);
    QFile f(fullPath);
    EXPECT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(t, QFileDevice::FileModificationTime));
    return t;
}

QString binDir() { return QCoreApplication::applicationDirPath() + QDir::separator(); }

CurrentFolder::CurrentFolder(const QString& folder) : previous_(QDir::currentPath()) {
    EXPECT_TRUE(QDir::setCurrent(folder)) << folder.toStdString();
}

CurrentFolder::~CurrentFolder() { QDir::setCurrent(previous_); }

} // namespace bw::test
