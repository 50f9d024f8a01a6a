#pragma once

#include <QStringList>

#include "app/plugin.h"

namespace bw::test {

// A report that keeps the lines written to it.
class RecordingReport : public IReport {
public:
    bool AddLine(const QString& line) override {
        lines << line;
        return true;
    }
    QStringList lines;
};

} // namespace bw::test
