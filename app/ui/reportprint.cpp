#include "app/ui/reportprint.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

std::unique_ptr<QTextDocument> ReportDocument(const TReport& report, const QFont& font) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font);
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc->setDefaultTextOption(option);
    doc->setPlainText(report.Text());
    return doc;
}

void PrintReport(const TReport& report, QPrinter& printer, const QString& jobName, const QFont& font) {
    printer.setDocName(jobName);
    std::unique_ptr<QTextDocument> doc = ReportDocument(report, font);
    doc->setMetaInformation(QTextDocument::DocumentTitle, jobName);
    doc->print(&printer);
}

TPrintDialog& PrintDialog() {
    static TPrintDialog dialog = [](QPrinter& printer) {
        QPrintDialog PrintDialog1(&printer);
        PrintDialog1.setObjectName(QStringLiteral("PrintDialog1"));
        return PrintDialog1.exec() == QDialog::Accepted;
    };
    return dialog;
}
