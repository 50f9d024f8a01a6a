#include <QApplication>
#include <QMainWindow>

#include "platform/prompt.h"
#include "platform/ui/chooser.h"
#include "platform/ui/messagebox.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindlewick"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brindlewick"));

    bw::MessageBoxPrompt messageBoxes;
    bw::setPrompt(&messageBoxes);
    bw::DialogChooser dialogs;
    bw::setChooser(&dialogs);

    QMainWindow mainWindow;
    mainWindow.setObjectName(QStringLiteral("FMain"));
    mainWindow.setWindowTitle(QStringLiteral("Brindlewick"));
    mainWindow.resize(800, 600);
    mainWindow.show();
    return app.exec();
}
