#include "app/ui/foreport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

namespace {

QCheckBox* Box(const char* name, const QString& caption, QGroupBox* group) {
    auto* b = new QCheckBox(caption, group);
    b->setObjectName(QLatin1String(name));
    b->setChecked(true);
    b->setProperty("helpContext", 2300);
    group->layout()->addWidget(b);
    return b;
}

QGroupBox* Group(const char* name, const QString& caption, QWidget* parent) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QLatin1String(name));
    new QVBoxLayout(g);
    parent->layout()->addWidget(g);
    return g;
}

} // namespace

TFOReport::TFOReport(QWidget* parent) : TFrame(parent) {
    setObjectName(QStringLiteral("FOReport1"));
    setProperty("helpKeyword", QStringLiteral("OReport"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    GBGeneral = Group("GBGeneral", tr("General"), this);
    CBSummary = Box("CBSummary", tr("S&ummary"), GBGeneral);
    CBTErrors = Box("CBTErrors", tr("Errors in source text"), GBGeneral);
    CBSErrors = Box("CBSErrors", tr("Errors in target text"), GBGeneral);
    GBReplace = Group("GBReplace", tr("Detailed report for replacing"), this);
    CBChanged = Box("CBChanged", tr("&Modified files"), GBReplace);
    CBNotChanged = Box("CBNotChanged", tr("Non-mo&dified files"), GBReplace);
    CBRNotFound = Box("CBRNotFound", tr("Files without enterings"), GBReplace);
    GBSearch = Group("GBSearch", tr("Detailed report for searching"), this);
    CBSNotFound = Box("CBSNotFound", tr("Files without enterings"), GBSearch);
    CBFound = Box("CBFound", tr("Files with enterings"), GBSearch);
    layout->addStretch(1);
}

TReportOptions TFOReport::Options() const {
    TReportOptions o;
    o.CBSummary = CBSummary->isChecked();
    o.CBTErrors = CBTErrors->isChecked();
    o.CBSErrors = CBSErrors->isChecked();
    o.CBChanged = CBChanged->isChecked();
    o.CBNotChanged = CBNotChanged->isChecked();
    o.CBRNotFound = CBRNotFound->isChecked();
    o.CBSNotFound = CBSNotFound->isChecked();
    o.CBFound = CBFound->isChecked();
    return o;
}
