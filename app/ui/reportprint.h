#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <memory>

#include "app/report.h"

class QPrinter;
class QTextDocument;

// The report as a printable document of its own: one paragraph per line, in
// the given font, no wrapping inside the words of a path.
std::unique_ptr<QTextDocument> ReportDocument(const TReport& report, const QFont& font);

// Prints the report as one job named jobName.
void PrintReport(const TReport& report, QPrinter& printer, const QString& jobName, const QFont& font);

// The print dialog: true when the user chose to print. Tests replace it; the
// program's shows PrintDialog1.
using TPrintDialog = std::function<bool(QPrinter& printer)>;
TPrintDialog& PrintDialog();
