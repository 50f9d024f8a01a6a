#include "app/ui/reportprint.h"

#include <QFile>
#include <QFontDatabase>
#include <QPrinter>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "tests/support/testutil.h"

namespace {

using ReportPrint = bw::test::TempDirTest;

// Pages of a PDF file written by the printer.
int PdfPages(const QByteArray& pdf) { return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r")); }

TEST_F(ReportPrint, AReportPrintsAsOneNamedJobOverAsManyPagesAsItNeeds) {
    TReport report;
    for (int i = 0; i < 300; ++i)
        report.Append(QStringLiteral("/home/user/texts/file%1.txt: %2 of 3 matches replaced").arg(i).arg(i % 4));
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    const auto doc = ReportDocument(report, font);
    EXPECT_EQ(doc->blockCount(), 300);
    EXPECT_EQ(doc->toPlainText(), report.Text());

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("report.pdf"));
    PrintReport(report, printer, QStringLiteral("Report"), font);
    EXPECT_EQ(printer.docName(), "Report");
    QFile pdf(path("report.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GE(PdfPages(bytes), 3) << "300 lines do not fit one page";
    EXPECT_TRUE(bytes.contains("/Title")) << "the job carries its name";
}

} // namespace
