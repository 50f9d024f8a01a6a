#include "app/ui/builtinplugins.h"

#include <QEvent>
#include <QResizeEvent>

#include "app/htmltotext.h"
#include "app/simplechanger.h"
#include "services/ui/components.h"

namespace {

// Keeps a widget covering the whole of its parent as the parent is resized.
class FillParent : public QObject {
public:
    explicit FillParent(QWidget* child) : QObject(child), child_(child) {
        child->parentWidget()->installEventFilter(this);
        child->setGeometry(child->parentWidget()->rect());
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == child_->parentWidget())
            child_->setGeometry(QRect(QPoint(0, 0), static_cast<QResizeEvent*>(event)->size()));
        return false;
    }

private:
    QWidget* child_;
};

} // namespace

TCheckListPlugin::TCheckListPlugin(const QString& name, const TPluginOption* options, int count,
                                   const QString& iniName)
    : name_(name), ini_(iniName, count) {
    for (int i = 0; i < count; ++i)
        items_ << QString::fromLatin1(options[i].Text);
}

TCheckListPlugin::~TCheckListPlugin() { TCheckListPlugin::HideConfig(); }

bool TCheckListPlugin::ShowConfig(QWidget* parent) {
    if (!parent)
        return false;
    if (!panel_) {
        panel_ = new TCheckListBox(parent);
        panel_->SetItems(items_);
        new FillParent(panel_);
        panel_->show();
    }
    const TPluginSelection stored = ini_.Read();
    for (int i = 0; i < panel_->count(); ++i)
        if (IsSelected(stored, i))
            panel_->SetChecked(i, true);
    return true;
}

TPluginSelection TCheckListPlugin::PanelChecks() const {
    TPluginSelection checks(std::size_t(ini_.OptionCount()), false);
    for (int i = 0; i < ini_.OptionCount(); ++i)
        checks[std::size_t(i)] = panel_->Checked(i);
    return checks;
}

bool TCheckListPlugin::Prepare() { return !panel_ || ini_.Write(PanelChecks()); }

bool TCheckListPlugin::HideConfig() {
    const bool stored = Prepare();
    delete panel_;
    return stored;
}

TPluginSelection TCheckListPlugin::InForce() const { return panel_ ? PanelChecks() : ini_.Read(); }

TSimpleChanger::TSimpleChanger()
    : TCheckListPlugin(QString::fromLatin1(SimpleChangerName), SimpleChangerOperations, SimpleChangerOptionCount,
                       QString::fromLatin1(SimpleChangerIniName)) {}

bool TSimpleChanger::Process(TInfo info) { return SimpleChangerProcess(info, InForce()); }

THTMLToText::THTMLToText()
    : TCheckListPlugin(QString::fromLatin1(HtmlToTextName), HtmlToTextOptions, HtmlToTextOptionCount,
                       QString::fromLatin1(HtmlToTextIniName)) {}

bool THTMLToText::Process(TInfo info) { return HtmlToTextProcess(std::move(info), InForce()); }
